#pragma once
// "ストックのプロパティ": the facts of one stock (where and when it was read,
// how much it holds) and its note, which the user may edit. The note is saved
// whenever the field loses the focus (so a crash loses no edit) and by OK;
// Esc, キャンセル and the close box put back the note the dialog opened with.
#include "library/stockinfo.h"

#include <QDialog>
#include <functional>
#include <string>

class QPlainTextEdit;

namespace zt {

class StockPropertiesDialog : public QDialog {
    Q_OBJECT

  public:
    // Saves a note; false when it could not be saved (the caller says why).
    using SaveNote = std::function<bool(const std::string& note)>;

    StockPropertiesDialog(QWidget* owner, const QString& stockName, const StockInfo& info,
                          SaveNote save);

    [[nodiscard]] QString note() const;
    void setNote(const QString& note);
    // Saves the note when it changed since it was last saved.
    bool saveNote();

    void done(int result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    QPlainTextEdit* note_ = nullptr;
    std::string saved_;    // the note as it is on disk
    std::string original_; // as it was when the dialog opened
    SaveNote save_;
};

} // namespace zt
