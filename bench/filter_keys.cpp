// How long a record set takes to apply the filter a pick list writes for its chosen rows: one
// "or" term per chosen key, over as many rows.
//   bench_filter_keys N
#include "AdoTypes.h"
#include "Recordset.h"

#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    using namespace tarvo;
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 8000;
    Recordset rs({{QStringLiteral("cBCode"), ado::adVarWChar, 20},
                  {QStringLiteral("i_id"), ado::adInteger, 4}});
    QStringList codes, ids;
    for (int i = 0; i < n; ++i) {
        const QString code = QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0'));
        rs.appendRow({code, i});
        codes << QStringLiteral("cBCode='%1'").arg(code);
        ids << QStringLiteral("i_id=%1").arg(i);
    }
    for (const QStringList* terms : {&codes, &ids}) {
        QElapsedTimer timer;
        timer.start();
        rs.setFilter(terms->join(QStringLiteral(" or ")));
        const int visible = rs.RecordCount();
        std::printf("%d rows, %d key terms on %s: %lld ms, %d visible\n", n, n,
                    terms == &codes ? "text" : "number", timer.elapsed(), visible);
    }
    return 0;
}
