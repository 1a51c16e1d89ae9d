#include "gui/search/filterrow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

namespace zt {

namespace {

const QString kSizeTip =
    QStringLiteral("サイズで絞り込むと、フォルダは見つからず、ファイルだけが見つかります");

template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// 00:00 of a day in local time.
FileTime startOfDay(const QDate& day) {
    return fileTimeFromUnix(QDateTime(day, QTime(0, 0)).toSecsSinceEpoch());
}

} // namespace

FilterRow::FilterRow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("filterRow"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setColumnMinimumWidth(4, 12);
    minSize_ = addSize(0, 0, "minSize", QStringLiteral("サイズ"), QStringLiteral("以上"),
                       QStringLiteral("サイズの下限"));
    maxSize_ = addSize(0, 5, "maxSize", QStringLiteral("サイズ"), QStringLiteral("以下"),
                       QStringLiteral("サイズの上限"));
    from_ = addDate(1, 0, "fromDate", QStringLiteral("更新日"), QStringLiteral("から"),
                    QStringLiteral("更新日の始め"));
    to_ = addDate(1, 5, "toDate", QStringLiteral("更新日"), QStringLiteral("まで"),
                  QStringLiteral("更新日の終わり"));
    grid->setColumnStretch(10, 1);
}

FilterRow::SizeInput FilterRow::addSize(int row, int column, const char* name,
                                        const QString& caption, const QString& after,
                                        const QString& accessible) {
    const QString base = QString::fromLatin1(name);
    SizeInput in;
    in.check = named(new QCheckBox(caption, this), base + QStringLiteral("Check"));
    in.check->setAccessibleName(accessible);
    in.value = named(new QSpinBox(this), base + QStringLiteral("Spin"));
    in.value->setRange(0, 999999);
    in.value->setAccessibleName(accessible + QStringLiteral("の値"));
    in.unit = named(new QComboBox(this), base + QStringLiteral("Unit"));
    in.unit->addItems({QStringLiteral("KB"), QStringLiteral("MB"), QStringLiteral("GB")});
    in.unit->setAccessibleName(accessible + QStringLiteral("の単位"));
    auto* grid = static_cast<QGridLayout*>(layout());
    grid->addWidget(in.check, row, column);
    grid->addWidget(in.value, row, column + 1);
    grid->addWidget(in.unit, row, column + 2);
    grid->addWidget(new QLabel(after, this), row, column + 3);
    for (QWidget* w : {static_cast<QWidget*>(in.check), static_cast<QWidget*>(in.value),
                       static_cast<QWidget*>(in.unit)})
        w->setToolTip(kSizeTip);
    for (QWidget* w : {static_cast<QWidget*>(in.value), static_cast<QWidget*>(in.unit)}) {
        w->setEnabled(false);
        connect(in.check, &QCheckBox::toggled, w, &QWidget::setEnabled);
    }
    return in;
}

FilterRow::DateInput FilterRow::addDate(int row, int column, const char* name,
                                        const QString& caption, const QString& after,
                                        const QString& accessible) {
    const QString base = QString::fromLatin1(name);
    DateInput in;
    in.check = named(new QCheckBox(caption, this), base + QStringLiteral("Check"));
    in.check->setAccessibleName(accessible);
    in.date = named(new QDateEdit(QDate::currentDate(), this), base + QStringLiteral("Edit"));
    in.date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    in.date->setCalendarPopup(true);
    in.date->setAccessibleName(accessible + QStringLiteral("の日付"));
    in.date->setEnabled(false);
    connect(in.check, &QCheckBox::toggled, in.date, &QWidget::setEnabled);
    auto* grid = static_cast<QGridLayout*>(layout());
    grid->addWidget(in.check, row, column);
    grid->addWidget(in.date, row, column + 1, 1, 2);
    grid->addWidget(new QLabel(after, this), row, column + 3);
    return in;
}

std::optional<uint64_t> FilterRow::bytesOf(const SizeInput& in) {
    if (!in.check->isChecked()) return std::nullopt;
    return uint64_t(in.value->value()) << (10 * (in.unit->currentIndex() + 1));
}

SearchFilters FilterRow::filters() const {
    SearchFilters f;
    f.minSize = bytesOf(minSize_);
    f.maxSize = bytesOf(maxSize_);
    if (from_.check->isChecked()) f.modifiedFrom = startOfDay(from_.date->date());
    if (to_.check->isChecked()) f.modifiedBefore = startOfDay(to_.date->date().addDays(1));
    return f;
}

} // namespace zt
