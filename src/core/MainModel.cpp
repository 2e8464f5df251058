#include "core/MainModel.h"

namespace {

template <std::size_t N>
void fill(std::array<CountValue *, N> &values, QObject *parent, CountValue::Start start = CountValue::Set)
{
    for (auto &value : values)
        value = new CountValue(0, start, parent);
}

} // namespace

MainModel::MainModel(QObject *parent) : QObject(parent)
{
    fill(traffic, this);
    // Shown as "0" until their first value, whose form differs.
    for (int e : {BytesReceived, BytesSent, IdleReceive, IdleSend})
        traffic[size_t(e)] = new CountValue(0, CountValue::Unset, this);
    fill(database, this);
    fill(outcomes, this);
    fill(outcomePercent, this, CountValue::Unset);
    fill(customers, this);
    fill(lastRequest, this);
}
