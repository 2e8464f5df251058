#include "core/MainModel.h"

#include "core/TextFormats.h"

namespace {

template <std::size_t N>
void fill(std::array<TextValue *, N> &labels, const QString &text, QObject *parent)
{
    for (auto &label : labels)
        label = new TextValue(text, QString(), parent);
}

} // namespace

MainModel::MainModel(QObject *parent) : QObject(parent)
{
    fill(traffic, QStringLiteral("0"), this);
    fill(database, QStringLiteral("0"), this);
    database[MainModel::ConnectionString]->setText(QString());
    fill(outcomes, QStringLiteral("0"), this);
    fill(outcomePercent, QStringLiteral("0%"), this);
    fill(customers, QStringLiteral("0"), this);
    fill(lastRequest, QStringLiteral("0"), this);
}

int MainModel::numberOf(const TextValue &label)
{
    return static_cast<int>(textformats::leadingInteger(label.text()));
}

qint64 MainModel::countOf(const TextValue &label)
{
    return textformats::leadingInteger(label.text());
}

void MainModel::add(TextValue &label, qint64 delta, bool grouped)
{
    const qint64 value = countOf(label) + delta;
    label.setText(grouped ? textformats::groupedCount(value) : QString::number(value));
}
