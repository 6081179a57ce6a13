#include "platform/forms/Center.h"

#include "platform/forms/Form.h"
#include "platform/win/Screen.h"
#include "platform/win/Twips.h"

namespace forms {

void CenterForm(Form& form)
{
    form.Move((win::ScreenWidthTwips() - form.ScaleWidth()) / 2,
              (win::ScreenHeightTwips() - form.ScaleHeight()) / 2);
}

void CenterPanel(QWidget& control)
{
    const int left = (win::ScreenWidthTwips() - win::PixelsToTwips(control.width())) / 2;
    const int top = (win::ScreenHeightTwips() - win::PixelsToTwips(control.height())) / 2;
    control.move(win::TwipsToPixels(left), win::TwipsToPixels(top));
}

} // namespace forms
