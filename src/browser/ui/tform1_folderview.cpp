// The folder view: contents of the selected folder, navigation, icons, properties.
#include "browser/ui/tform1.h"
#include "browser/ui/iconcache.h"

namespace zt {

void TForm1::setupFolderView() { iconCache = new IconCache(this); }
void TForm1::LoadIconCache() {}
void TForm1::RefillContents() {}
void TForm1::TreeView1Change() { RefillContents(); }
void TForm1::ListView1DblClick() {}
void TForm1::ToolButtonFolderUpClick() {}
void TForm1::MenuNameSortClick() {}
void TForm1::MenuKindSortClick() {}
void TForm1::ListView1MouseUp(const QPoint&) {}
void TForm1::TreeView1MouseUp(const QPoint&) {}
void TForm1::Property1Click() {}
void TForm1::Property2Click() {}

} // namespace zt
