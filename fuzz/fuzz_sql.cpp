// The SQL text functions over any template. The first byte chooses:
// the PostgreSQL rewriter (3), the SQLite rewriter (a statement that uses none of the SQL Server
// features passes unchanged; a rewritten one is left as it is by a second
// rewrite), or the placeholder filler on "template NUL value" (the value
// never changes how the rest of the template reads: what was quoted stays
// quoted and what was not stays outside quotes).
#include "FuzzSupport.h"

#include "campaign/PostgresDialect.h"
#include "campaign/SqliteDialect.h"
#include "campaign/SqlText.h"
#include "wire/AnsiCodec.h"

#include <QRegularExpression>

namespace {

constexpr const char *kTarget = "fuzz_sql";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

void rewrite(const QString &sql, bool indexed)
{
    const auto index = [indexed](const QString &, const QList<sqlitedialect::OrderTerm> &) { return indexed; };
    const sqlitedialect::Result r = sqlitedialect::rewrite(sql, index);
    if (!r.ok) {
        expect(!r.error.isEmpty(), QStringLiteral("refused without a reason"));
        return;
    }
    // Concatenation with "+" and ISNULL are SQL Server's own too.
    static const QRegularExpression features(QStringLiteral("top|getdate|convert|len|update|isnull|\\+"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (!sql.contains(features))
        expect(r.sql == sql, QStringLiteral("a plain statement was changed"));
    const sqlitedialect::Result again = sqlitedialect::rewrite(r.sql, index);
    expect(again.ok && again.sql == r.sql, QStringLiteral("a rewritten statement is rewritten again: ") + r.sql);
}

// PostgreSQL's rewriter: it refuses with a reason or gives a statement;
// one without [names] or SQL Server features passes unchanged.
void rewritePostgres(const QString &sql)
{
    const sqldialect::Result r = postgresdialect::rewrite(sql);
    if (!r.ok) {
        expect(!r.error.isEmpty(), QStringLiteral("refused without a reason"));
        return;
    }
    static const QRegularExpression features(QStringLiteral("top|getdate|convert|len|update|isnull|nulls|\\[|\\+|\""),
                                             QRegularExpression::CaseInsensitiveOption);
    // The one change a plain statement may get: its ORDER BY terms place
    // NULLs where SQL Server puts them.
    static const QRegularExpression nulls(QStringLiteral(" NULLS (FIRST|LAST)"));
    if (!sql.contains(features))
        expect(QString(r.sql).remove(nulls) == sql, QStringLiteral("a plain statement was changed: ") + r.sql);
}

void fill(const QString &sql, const QString &value, bool numbersQuoted = false)
{
    const QString placeholder = QStringLiteral("##");
    const sqltext::Filled f = sqltext::fillPlaceholder(sql, placeholder, value, numbersQuoted);
    const qsizetype at = sql.indexOf(placeholder);
    if (at < 0) {
        expect(f.ok && f.sql == sql, QStringLiteral("a template without placeholder was changed"));
        return;
    }
    if (!f.ok)
        return;
    const qsizetype inserted = f.sql.size() - (sql.size() - placeholder.size());
    const qsizetype after = at + placeholder.size();
    expect(inserted >= 0 && f.sql.left(at) == sql.left(at) && f.sql.mid(at + inserted) == sql.mid(after),
           QStringLiteral("the template around the value changed"));
    // Where the value ends, and at every quote after it, the template reads as before.
    expect(sqltext::insideLiteral(f.sql, at + inserted) == sqltext::insideLiteral(sql, after),
           QStringLiteral("the value ends in another state than the placeholder"));
    int checked = 0;
    for (qsizetype i = after; i < sql.size() && checked < 16; ++i) {
        if (sql[i] != QLatin1Char('\'') && sql[i] != QLatin1Char('\n'))
            continue;
        ++checked;
        expect(sqltext::insideLiteral(f.sql, i + 1 - after + at + inserted) == sqltext::insideLiteral(sql, i + 1),
               QStringLiteral("the value changed how the template reads: ") + f.sql);
    }
    expect(sqltext::insideLiteral(f.sql, f.sql.size()) == sqltext::insideLiteral(sql, sql.size()),
           QStringLiteral("the value changed how the template ends: ") + f.sql);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input = fuzz::bytes(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0:
        rewrite(ansi::decode(input), false);
        break;
    case 1:
        rewrite(ansi::decode(input), true);
        break;
    case 3:
        rewritePostgres(ansi::decode(input));
        break;
    default: { // 2, and 4 with numbers quoted as PostgreSQL needs them
        const qsizetype nul = input.indexOf('\0');
        fill(ansi::decode(input.left(nul < 0 ? input.size() : nul)), nul < 0 ? QString() : ansi::decode(input.mid(nul + 1)),
             data[0] % 5 == 4);
        break;
    }
    }
    return 0;
}
