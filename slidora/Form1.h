#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "slidora/FileListBox.h"
#include "slidora/FourCC.h"
#include "slidora/PictureBox.h"

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QTimer>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace slidora {

// The player's window: plays a media file in its picture area through media
// control commands, with a file list, pause, speed, sound and fit switches,
// drawn volume and progress bars, a status line and captures of the picture.
class Form1 : public forms::Form
{
    Q_OBJECT

public:
    Form1();
    ~Form1() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_Unload(int& cancel) override;

    // Event procedures.
    void File1_DblClick();
    void File1_KeyPress(int& keyAscii);
    void File1_KeyUp(int& keyCode, int shift);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void CMspeed_Click(int index);
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Label1_DblClick();
    void Timer1_Timer();
    void Picture1_MouseUp(Qt::MouseButton button);
    void PicVolume_MouseDown(Qt::MouseButton button, double y);
    void PicVolume_MouseMove(Qt::MouseButtons held, double y);
    void PicVolume_MouseUp(Qt::MouseButton button, double y);
    void PicProgress_MouseDown(Qt::MouseButton button, double x);
    void PicProgress_MouseMove(Qt::MouseButtons held, double x);
    void PicProgress_MouseUp(double x);

    // Routines.
    void OpenSelected();
    void OpenAndPlay(const QString& path);
    static QString GetShortName(const QString& path);
    void PlayFrom(long ms);
    void ApplySound();
    void SetTopmost();
    void ClearTopmost();
    static QString FormatTime(long ms);
    void InitVolumeBar();
    void DrawVolumeBar(double fraction);
    void InitProgressBar();
    void DrawProgressBar(long ms);
    void ClearProgressBar();
    void PaintProgress(long ms);
    QColor MixColor(double f) const;
    void MediaInfo(const QString& path);
    void FitVideoWindow();
    void BMPresize();
    void LoadFourCCTable();
    void ShowFourCCInfo(const QString& code);

    // The window's state, as the tests look at it.
    QString Alias() const { return alias_; }
    bool Playing() const { return playing_; }
    bool Paused() const { return paused_; }
    long Length() const { return length_; }
    QString InfoText() const { return infoText_; }
    int CaptureWidth() const { return captureWidth_; }
    int CaptureHeight() const { return captureHeight_; }
    const QImage& FileCapture() const { return filePicture_; }
    const QImage& ClipboardCapture() const { return clipboardPicture_; }
    const std::vector<FourCCRecord>& FourCCTable() const { return fourCC_; }

    FileListBox* File1;
    PictureBox* PicVolume;
    PictureBox* PicProgress;
    forms::CommandButton* Command1;
    forms::CommandButton* Command3;
    forms::CommandButton* Command5;
    forms::CommandButton* Command4;
    std::array<forms::CommandButton*, 3> CMspeed;
    forms::CommandButton* Command2;
    forms::Label* Label1;
    forms::Label* Label2;
    forms::CheckBox* Check1;
    forms::CheckBox* Check2;
    forms::CheckBox* Check3;
    forms::CheckBox* Check4;
    forms::CommandButton* Command6;
    forms::CommandButton* Command7;
    PictureBox* Picture1;
    QLabel* AffBMP;
    QTimer* Timer1;

private:
    // Sends a command to the open device; the answer, when asked for, is cut
    // to the buffer length.
    void Mci(const QString& command);
    QString Mci(const QString& command, int bufferLength);
    void CloseDevice();

    QString alias_;
    bool playing_ = false;
    bool paused_ = false;
    bool dragging_ = false;
    std::int32_t length_ = 0;
    QString infoText_;
    std::int16_t videoWidth_ = 0;
    std::int16_t videoHeight_ = 0;
    int captureWidth_ = 0;
    int captureHeight_ = 0;
    QColor startColour_;
    QColor endColour_;
    int previousWidth_ = 0;
    std::vector<FourCCRecord> fourCC_;
    QImage filePicture_;
    QImage clipboardPicture_;
};

} // namespace slidora
