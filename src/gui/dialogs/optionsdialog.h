#pragma once
// The options dialog "設定": which drive types the source list shows, and two
// display options. It only edits its check boxes; the main window copies them
// to and from its settings.
#include "gui/common/colourscheme.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;

namespace zt {

struct Settings;

class OptionsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit OptionsDialog(QWidget* parent = nullptr);

    // The five check boxes from settings, and back (the other settings are untouched).
    void setFrom(const Settings& s);
    void copyTo(Settings& s) const;
    // 配色: 自動, 明るい or 暗い (kept in a side file, not in the settings file).
    void setColourScheme(ColourScheme scheme);
    [[nodiscard]] ColourScheme colourScheme() const;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QCheckBox* cdDrives_ = nullptr;
    QCheckBox* hardDisks_ = nullptr;
    QCheckBox* removableDisks_ = nullptr;
    QCheckBox* showPath_ = nullptr;
    QCheckBox* typeIcons_ = nullptr;
    QButtonGroup* schemes_ = nullptr;
};

} // namespace zt
