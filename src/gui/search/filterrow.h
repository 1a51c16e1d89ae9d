#pragma once
// The search window's optional filters: file size at least / at most (a number
// and KB, MB or GB, 1 KB = 1024 bytes) and modified from / to (whole days in
// local time). Each is off until its box is checked; the row is hidden until
// the user opens it.
#include "search/engine.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QSpinBox;

namespace zt {

class FilterRow : public QWidget {
    Q_OBJECT

  public:
    explicit FilterRow(QWidget* parent = nullptr);

    // The checked filters: "from" is 00:00 of its day, "to" ends with its day
    // (modifiedBefore is 00:00 of the next day).
    [[nodiscard]] SearchFilters filters() const;

  private:
    struct SizeInput {
        QCheckBox* check = nullptr;
        QSpinBox* value = nullptr;
        QComboBox* unit = nullptr;
    };
    struct DateInput {
        QCheckBox* check = nullptr;
        QDateEdit* date = nullptr;
    };
    SizeInput addSize(int row, int column, const char* name, const QString& caption,
                      const QString& after, const QString& accessible);
    DateInput addDate(int row, int column, const char* name, const QString& caption,
                      const QString& after, const QString& accessible);
    [[nodiscard]] static std::optional<uint64_t> bytesOf(const SizeInput& in);

    SizeInput minSize_, maxSize_;
    DateInput from_, to_;
};

} // namespace zt
