// Source selection and the capture run.
#include "browser/ui/tform1.h"

namespace zt {

void TForm1::setupCapture() {}
void TForm1::FillDriveList() {}
void TForm1::MenuSuckClick() {}
void TForm1::Button1Click() {}
void TForm1::ListBox1Click() {}
void TForm1::DriveListEnter() {}

} // namespace zt
