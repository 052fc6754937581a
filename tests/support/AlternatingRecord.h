#pragma once

#include <QString>

/// Two complete versions of one bank record that differ in every column, for tests that
/// interrupt saves: what is stored afterwards must be one of them, whole.
namespace alternating {

inline const QString kKey = QStringLiteral("T1");

struct Version {
    QString bankName;
    int comdFixLen, comAccNoLen, indFixLen, indAccNoLen, indAutoInputLen;
    QString indUnitcode;

    QString xml() const {
        return QStringLiteral("<AA_Bank><cBankCode>%1</cBankCode><cBankName>%2</cBankName>"
                              "<bComdFixLen>%3</bComdFixLen><iComAccNoLen>%4</iComAccNoLen>"
                              "<bIndFixLen>%5</bIndFixLen><iIndAccNoLen>%6</iIndAccNoLen>"
                              "<iIndAutoInputLen>%7</iIndAutoInputLen>"
                              "<cIndUnitcode>%8</cIndUnitcode></AA_Bank>")
            .arg(kKey, bankName)
            .arg(comdFixLen)
            .arg(comAccNoLen)
            .arg(indFixLen)
            .arg(indAccNoLen)
            .arg(indAutoInputLen)
            .arg(indUnitcode);
    }
};

inline const Version kA{QStringLiteral("甲版本银行"), 0, 10, 0, 12, 4, QStringLiteral("A1")};
inline const Version kB{QStringLiteral("乙版本银行"), 1, 20, 1, 19, 6, QStringLiteral("B22")};

} // namespace alternating
