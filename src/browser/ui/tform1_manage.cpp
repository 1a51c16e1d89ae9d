// Stock list operations (move, rename, delete) and the file-name export.
#include "browser/ui/tform1.h"

namespace zt {

void TForm1::setupManage() {}
void TForm1::N3Click() {}
void TForm1::N4Click() {}
void TForm1::Rename1Click() {}
void TForm1::Delete1Click() {}
void TForm1::MenuWriteFailNameClick() {}

} // namespace zt
