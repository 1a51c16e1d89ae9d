// The search dialog as seen from the main window: toggle, close notification, refresh.
#include "browser/ui/tform1.h"

namespace zt {

void TForm1::RefreshSearchStockList() {}
void TForm1::CreateSearchDialog() {}
void TForm1::CloseSearchDialog() {}
void TForm1::MenuSearchClick() {}
void TForm1::SearchDialogClosed() {}

} // namespace zt
