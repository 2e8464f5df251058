#pragma once

#include <QString>

// Names shown in the summaries: outcome captions (the labels over the
// outcome counters) and the dispatch-state descriptions.
namespace captions {

// Empty for a code outside 0..11.
QString outcome(qint64 code);
// DescrizioniFlag; empty for a state outside 0..3.
QString flag(qint64 state);

} // namespace captions
