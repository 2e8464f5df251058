#pragma once

// The bodies of the dialer link's packets, each with its layout and its
// encode/decode pair. Integers are 32-bit little-endian; texts are fixed
// width, ANSI, NUL padded on the way out. A decoder refuses a body that is
// too short for what it announces; bytes beyond that are ignored.

#include <QByteArray>
#include <QList>
#include <QString>

#include "wire/Status.h"

namespace dialerbody {

// 70001 "Richiesta clienti x gruppi": count p, then p pairs.
//   0 count   4 + 8i group   8 + 8i quantity wanted
struct CustomersRequest {
    struct Pair {
        qint32 group = 0;
        qint32 quantity = 0;
        friend bool operator==(const Pair &, const Pair &) = default;
    };
    QList<Pair> pairs;
};
QByteArray encode(const CustomersRequest &r);
wire::Status decode(const QByteArray &body, CustomersRequest &out);

// 71001 "PDOUTOP_QUERY_OP".
//   0 group   4 quantity wanted   8 operator code (20)
struct OperatorRequest {
    static constexpr int Group = 0, Quantity = 4, Operator = 8, Size = 28;
    qint32 group = 0;
    qint32 quantity = 0;
    QString op; // PulisciStringa of the 20 characters
};
QByteArray encode(const OperatorRequest &r);
wire::Status decode(const QByteArray &body, OperatorRequest &out);

// 70003 "PDOUTDB_FREEQUEUE".   0 group
struct GroupRelease {
    static constexpr int Group = 0, Size = 4;
    qint32 group = 0;
};
QByteArray encode(const GroupRelease &r);
wire::Status decode(const QByteArray &body, GroupRelease &out);

// 71003 "PDOUTOP_FREEQUEUE_OP".   0 not used   4 operator code (20)
struct OperatorRelease {
    static constexpr int Spare = 0, Operator = 4, Size = 24;
    qint32 spare = 0;
    QString op; // PulisciStringa of the 20 characters
};
QByteArray encode(const OperatorRelease &r);
wire::Status decode(const QByteArray &body, OperatorRelease &out);

// RecCliente, the 296-byte customer record of the customer replies and of
// the discards. Texts are kept as received, full width, NULs included.
struct CustomerRecord {
    static constexpr int Group = 0, Kind = 4, TotAbbattuto = 8, Position = 12, TipoMandato = 16, CallList = 36,
                         Contatore = 56, Phone = 86, Info = 106, Padding = 286, Recall = 288, LastOutcome = 292,
                         Size = 296;
    static constexpr int TextWidth = 20, ContatoreWidth = 30, InfoWidth = 180, RecallWidth = 4;

    qint32 group = 0;
    qint32 kind = 0;         // 0 group reply; 2 or 3 operator reply
    qint32 totAbbattuto = 0;
    qint32 position = 0;     // place in its packet plus 3
    QString tipoMandato;     // "CAMP="
    QString callList;        // the phone ("CALLLIST=")
    QString contatore;       // customer id as text ("id_cl=")
    QString phone;           // the phone again ("TEL=")
    QString info;            // ragione sociale ("info cl=")
    QByteArray recall;       // "HHMM" or four NULs
    qint32 lastOutcome = 0;
};
QByteArray encode(const CustomerRecord &r);
// REQUIRES: at + CustomerRecord::Size <= bytes.size().
CustomerRecord decodeRecordAt(const QByteArray &bytes, qsizetype at);

// 70102 and 71102 (customers sent), 70004 and 71004 (customers refused):
// [operator code (20), by operator only]  count k  k records of 296 bytes.
struct CustomerList {
    bool byOperator = false;
    QString op; // as received, 20 characters
    QList<CustomerRecord> records;
};
QByteArray encode(const CustomerList &list);
wire::Status decode(const QByteArray &body, bool byOperator, CustomerList &out);

// 70100 "Invio Pacchetto gruppi": count n, then n group numbers.
struct GroupList {
    QList<qint32> groups;
};
QByteArray encode(const GroupList &list);
wire::Status decode(const QByteArray &body, GroupList &out);

// 70101 "QueryEnd" and 71101 "QueryEnd_op": one integer, always 0.
QByteArray queryEnd();

} // namespace dialerbody
