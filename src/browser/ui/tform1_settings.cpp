// The settings file as seen from the main window, and the options dialog.
#include "browser/ui/tform1.h"
#include "library/stocklibrary.h"
#include "platform/ui/dialogs.h"
#include "settings/ui/optiondlg.h"

#include <QAction>
#include <QSplitter>
#include <QToolButton>

namespace zt {

void TForm1::LoadSettings() {
    // A missing or short file leaves the first-start values for what it lacks.
    // The bounds and pane sizes are put on the window by applySettings(), which
    // also brings a window saved on a screen that is gone back onto one.
    (void)loadSettingsFile(dataDir_, settings);
    MenuSearch->setChecked(settings.searchDialogShown);
    ToolButtonSearch->setChecked(settings.searchDialogShown);
    MenuNameSort->setChecked(settings.iconArrangement == 0);
    MenuKindSort->setChecked(settings.iconArrangement == 1);
}

void TForm1::SaveSettings() {
    // The bounds of the normal (not maximised) window: its frame position and
    // its inner size, as applySettings() sets them.
    QRect normal = normalGeometry();
    if (!normal.isValid()) normal = geometry();
    const QPoint frameOffset = geometry().topLeft() - pos();
    settings.width = normal.width();
    settings.height = normal.height();
    settings.left = normal.left() - frameOffset.x();
    settings.top = normal.top() - frameOffset.y();
    // The panes have their real sizes only once the window has been laid out;
    // before that the values read at start-up still hold.
    if (Splitter1->isVisible()) {
        settings.leftColumnWidth = Splitter1->sizes().value(0, settings.leftColumnWidth);
        settings.stockListHeight = Splitter2->sizes().value(0, settings.stockListHeight);
        settings.folderTreeWidth = Splitter3->sizes().value(0, settings.folderTreeWidth);
    }
    if (!saveSettingsFile(dataDir_, settings))
        warn(this, QString::fromStdString(messageCannotCreate(settingsPath(dataDir_))));
}

void TForm1::MenuSettingClick() {
    TOptionDlg dlg(this);
    dlg.setFrom(settings);
    if (dlg.exec() != QDialog::Accepted) return;
    dlg.copyTo(settings);
    FillDriveList();
}

} // namespace zt
