#include "core/MainController.h"
#include "core/ui/Bindings.h"
#include "core/ui/Frames.h"
#include "core/OutcomeRates.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>

namespace frames {
namespace {

QLabel *named(QLabel *l, const QString &name, int index)
{
    l->setObjectName(name + QLatin1Char('_') + QString::number(index));
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

QWidget *outcomes(MainController &c, QWidget *parent)
{
    MainModel &m = c.model();
    auto *panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("OutcomeCounters"));
    auto *grid = new QGridLayout(panel);
    grid->setSpacing(2);

    const char *const outcomeCaptions[MainModel::kOutcomeCount] = {
        "Esiti Rx", "non trov.", "segreter.", "Fax", "nr.errato", "abb.ring",
        "abb.risp.", "-> Oper.", "occupato", "err.ricon.", "linee full", "-> pbx"};
    for (int i = 0; i < MainModel::kOutcomeCount; ++i) {
        grid->addWidget(named(bind::caption(QString::fromLatin1(outcomeCaptions[i]), panel), QStringLiteral("Label1"), i + 4), 0, i);
        auto *count = named(bind::label(*m.outcomes[i], bind::plain, panel), QStringLiteral("lblEsiti"), i);
        count->setFrameShape(QFrame::Panel);
        count->setFrameShadow(QFrame::Sunken);
        if (i == MainModel::kOutcomeCount - 1 && c.plugins().pbx) // "-> pbx": the PBX lines window
            bind::onDoubleClick(count, [x = c.plugins().pbx] { x->show(); });
        grid->addWidget(count, 1, i);
        grid->addWidget(named(bind::label(*m.outcomePercent[i], outcomerates::percentShown, panel), QStringLiteral("lblPercEsiti"), i),
                        2, i);
    }

    const char *const customerCaptions[] = {"Cl.inv", "cl.rifiutati"};
    for (int i = 0; i < 2; ++i) {
        grid->addWidget(bind::caption(QString::fromLatin1(customerCaptions[i]), panel), 3, i * 2);
        grid->addWidget(named(bind::label(*m.customers[i], bind::plain, panel), QStringLiteral("lblCL_TX_RX"), i), 3, i * 2 + 1);
    }
    const char *const lastCaptions[MainModel::kLastCount] = {"Gruppo", "cl.rich", "Inviati", "Oper.", "Id rich", "cl.disp."};
    for (int i = 0; i < MainModel::kLastCount; ++i) {
        grid->addWidget(bind::caption(QString::fromLatin1(lastCaptions[i]), panel), 4, i * 2);
        QLabel *last = i == MainModel::LastOperator ? bind::label(m.lastOperator, panel)
                                                    : bind::label(*m.lastRequest[i], bind::plain, panel);
        grid->addWidget(named(last, QStringLiteral("lblLast"), i), 4, i * 2 + 1);
    }
    return panel;
}

} // namespace frames
