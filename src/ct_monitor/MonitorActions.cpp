#include "ct_monitor/MonitorActions.h"

#include "auxiliary/PopupNotice.h"
#include "core/Logger.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"
#include "ct_monitor/MonitorTiles.h"
#include "ct_monitor/PhoneControl.h"

#include <QFile>
#include <QSaveFile>

namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

MonitorActions::MonitorActions(Parts parts, QObject *parent) : QObject(parent), m_parts(std::move(parts))
{
    list.setParent(this);
    // Tiles drawn after the layout was read (a configuration naming more
    // extensions) still land where the file puts them.
    connect(&m_parts.tiles, &MonitorTiles::countChanged, this, [this](int count) {
        for (int i = 0; i < count && i < m_read.tiles.size(); ++i) {
            if (m_parts.tiles.tile(i).position == MonitorTiles::gridPosition(i))
                m_parts.tiles.move(i, m_read.tiles[i]);
        }
    });
}

void MonitorActions::log(const QString &text)
{
    m_parts.log.scriviLog(text, Logger::Monitor);
}

void MonitorActions::notice(const QString &text)
{
    m_parts.notice.show(text);
}

void MonitorActions::callExtension(int extension)
{
    notice(QStringLiteral(" Chiamo  ") + n(extension) + QStringLiteral(" INT. "));
    m_parts.phone.callPhone(n(extension));
}

void MonitorActions::cerca(bool andCall)
{
    const QString answer = m_parts.prompts.input(QStringLiteral("Indizio nominativo"));
    if (answer.isEmpty())
        return;
    const QList<int> found = m_parts.tiles.search(answer);
    if (found.isEmpty())
        notice(QStringLiteral("[ ") + answer + QStringLiteral(" ] non trovato"));
    if (listShown.value()) {
        for (int i = 0; i < list.count(); ++i) {
            if (list.line(i).contains(answer, Qt::CaseInsensitive)) {
                list.setSelection(i);
                break;
            }
        }
    }
    if (andCall && found.size() == 1)
        callExtension(found.first());
}

void MonitorActions::chiama()
{
    const QString number = m_parts.prompts.input(QStringLiteral("Numero"));
    if (number.isEmpty())
        return;
    notice(QStringLiteral("PROVA di CHIAMATA PER ") + number);
}

void MonitorActions::interrompi()
{
    m_parts.phone.hangPhone();
}

void MonitorActions::fillList()
{
    list.clear();
    for (const QString &line : m_parts.tiles.extensionList())
        list.addEmptyingWhenFull(line);
    listShown.set(true);
}

void MonitorActions::toggleList()
{
    if (listShown.value()) {
        listShown.set(false);
        return;
    }
    m_listTicks = 0;
    fillList();
}

void MonitorActions::listActivated(int row)
{
    const int extension = MonitorTiles::extensionOfListLine(list.line(row));
    if (extension != 0)
        callExtension(extension);
}

void MonitorActions::tick()
{
    if (!listShown.value())
        return;
    if (++m_listTicks >= kListTicks) {
        m_listTicks = 0;
        fillList();
    }
}

void MonitorActions::edit()
{
    if (m_edit) {
        leaveEditMode();
        return;
    }
    m_edit = true;
    Q_EMIT held(true);
    leggiPosizioni();
    Q_EMIT editModeChanged(true);
}

void MonitorActions::leaveEditMode()
{
    if (!m_edit)
        return;
    m_edit = false;
    Q_EMIT held(false);
    Q_EMIT editModeChanged(false);
}

bool MonitorActions::salvaPosizioni()
{
    const QString path = m_parts.files.layoutFile();
    // Written aside and renamed: a failure midway leaves the old layout whole.
    QSaveFile file(path);
    const QByteArray bytes = layoutfile::write({m_parts.tiles.positions(), m_texts, {}});
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        log(QStringLiteral("Posizioni non salvate in ") + path + QStringLiteral(": ") + file.errorString());
        return false;
    }
    log(QStringLiteral("Posizioni salvate in ") + path);
    return true;
}

void MonitorActions::leggiPosizioni()
{
    const QString path = m_parts.files.layoutFile();
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return; // the computed layout stays
    m_read = layoutfile::read(file.read(layoutfile::kMaxBytes + 1), m_parts.tiles.count(), MonitorTiles::kMaxCoordinate);
    if (!m_read.problem.isEmpty())
        log(QStringLiteral("Pos_CT.ini letto in parte, ") + m_read.problem);
    m_parts.tiles.setPositions(m_read.tiles);
    m_texts = m_read.texts;
    Q_EMIT textsChanged();
    Q_EMIT redraw();
}

void MonitorActions::gridClicked(const QString &firstCell)
{
    const QString number = firstCell.trimmed().section(QLatin1Char(' '), 0, 0);
    if (number.isEmpty())
        return;
    m_parts.tiles.evidenzia(number);
}

void MonitorActions::tileRightClicked(int index)
{
    if (index < 0 || index >= m_parts.tiles.count())
        return;
    if (m_edit)
        Q_EMIT redraw();
    else
        notice(QStringLiteral("PROVA di CHIAMATA PER ") + m_parts.tiles.tile(index).caption);
}

void MonitorActions::tileMoveStarted(int index)
{
    log(QStringLiteral("Spostamento posizone interno ") + n(MonitorTiles::extensionOf(index)));
}

void MonitorActions::tileMoved(int index, QPoint twips)
{
    if (index < 0 || index >= m_parts.tiles.count())
        return;
    const QPoint p(std::max(0, twips.x()), std::max(0, twips.y()));
    m_parts.tiles.move(index, p);
    coordinates.setText(QStringLiteral("x = ") + n(p.x()) + QStringLiteral(" y = ") + n(p.y()));
    log(QStringLiteral("spostamento concluso"));
}

void MonitorActions::formRightClicked(QPoint twips)
{
    if (!m_edit)
        return;
    if (m_texts.size() >= layoutfile::kMaxTexts) {
        notice(QStringLiteral("Già ") + n(layoutfile::kMaxTexts) + QStringLiteral(" messaggi"));
        return;
    }
    const QString text = m_parts.prompts.input(QStringLiteral("Messaggio da visualizzare alle coordinate x =") + n(twips.x())
                                               + QStringLiteral(" y = ") + n(twips.y()));
    if (text.isEmpty())
        return;
    const auto clamp = [](int v) { return std::clamp(v, 0, MonitorTiles::kMaxCoordinate); };
    m_texts.append({{clamp(twips.x()), clamp(twips.y())}, text});
    Q_EMIT textsChanged();
}

void MonitorActions::formDoubleClicked()
{
    const QString from = m_parts.prompts.input(QStringLiteral("Allinea da "));
    if (from.isEmpty())
        return;
    const QString to = m_parts.prompts.input(QStringLiteral("a"));
    if (to.isEmpty())
        return;
    const int first = int(std::clamp<qint64>(textformats::leadingInteger(from), ExtensionTable::kFirst, ExtensionTable::kLast));
    const int last = int(std::clamp<qint64>(textformats::leadingInteger(to), 0, ExtensionTable::kLast));
    m_parts.tiles.align(first, last);
}

void MonitorActions::openLayoutFile()
{
    m_parts.prompts.editFile(m_parts.files.layoutFile());
}
