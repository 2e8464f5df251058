#include "core/LogList.h"
#include "core/MainController.h"
#include "core/ui/Bindings.h"
#include "core/ui/Frames.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace frames {
namespace {
using bind::listBox;
} // namespace

QWidget *logLists(MainController &c, QWidget *parent)
{
    auto *panel = new QWidget(parent);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(listBox(c.log().list1(), QStringLiteral("List1"), panel), 3);
    layout->addWidget(listBox(c.log().list2(), QStringLiteral("List2"), panel), 2);
    return panel;
}

QGroupBox *requestLists(MainController &c, QWidget *parent)
{
    auto *frame = new QGroupBox(parent);
    frame->setObjectName(QStringLiteral("Frame4"));
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(listBox(c.log().list3(0), QStringLiteral("List3_0"), frame));
    layout->addWidget(listBox(c.log().list3(1), QStringLiteral("List3_1"), frame));
    bind::visible(frame, c.model().logPanelVisible);
    return frame;
}

void filterGroups(MainController &c, QWidget *window)
{
    CampaignPort *campaign = c.plugins().campaign;
    auto *grid = window->findChild<QTableView *>(QStringLiteral("DataGrid1"));
    if (!campaign || !grid)
        return;
    campaign->filterGroups(c.model().groupFilter.text(), c.model().operatorFilter.text());
    if (grid->model() != campaign->groupTable())
        grid->setModel(campaign->groupTable());
}

QGroupBox *groupBrowser(MainController &c, QWidget *parent)
{
    MainModel &m = c.model();
    auto *frame = new QGroupBox(QStringLiteral("Gruppi/Operatori"), parent);
    frame->setObjectName(QStringLiteral("Frame5"));
    auto *layout = new QVBoxLayout(frame);
    auto *filters = new QHBoxLayout;
    auto *group = bind::lineEdit(m.groupFilter, frame);
    group->setObjectName(QStringLiteral("txtFiltro_0"));
    auto *op = bind::lineEdit(m.operatorFilter, frame);
    op->setObjectName(QStringLiteral("txtFiltro_1"));
    filters->addWidget(bind::caption(QStringLiteral("Gruppo"), frame));
    filters->addWidget(group);
    filters->addWidget(bind::caption(QStringLiteral("Oper."), frame));
    filters->addWidget(op);
    const char *const buttons[][2] = {{"Command8", "Filtra"}, {"Command9", "azzera"}, {"Command7", "Chiudi"}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QString::fromLatin1(b[1]), frame);
        button->setObjectName(QString::fromLatin1(b[0]));
        filters->addWidget(button);
        const QByteArray name(b[0]);
        if (name == "Command7") {
            QObject::connect(button, &QPushButton::clicked, frame, [&m] { m.groupBrowserVisible.set(false); });
            continue;
        }
        button->setEnabled(c.plugins().campaign != nullptr);
        QObject::connect(button, &QPushButton::clicked, frame, [&c, &m, frame, name] {
            if (name == "Command9") {
                m.groupFilter.setText(QString());
                m.operatorFilter.setText(QString());
            }
            filterGroups(c, frame);
        });
    }
    layout->addLayout(filters);
    auto *grid = new QTableView(frame);
    grid->setObjectName(QStringLiteral("DataGrid1"));
    layout->addWidget(grid);
    bind::visible(frame, m.groupBrowserVisible);
    return frame;
}

} // namespace frames
