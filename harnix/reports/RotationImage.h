#pragma once
// The quarter turn of the report pictures.

namespace forms {
class PictureBox;
}

namespace RotationImage {

// Turns the box's picture a quarter turn anticlockwise (the top edge becomes the left edge);
// the box takes the turned size. Done in memory: the clipboard is left alone.
void PivoterImage(forms::PictureBox& box);

} // namespace RotationImage
