// The settings file as seen from the main window, and the options dialog.
#include "browser/ui/tform1.h"

namespace zt {

void TForm1::LoadSettings() {}
void TForm1::SaveSettings() {}
void TForm1::MenuSettingClick() {}

} // namespace zt
