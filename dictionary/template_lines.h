// template_lines.h: the lines of the windows' SQL templates that a search replaces, by name,
// counted from 0. The other lines of each template stay as the form holds them.
#ifndef BREVANTIS_DICTIONARY_TEMPLATE_LINES_H
#define BREVANTIS_DICTIONARY_TEMPLATE_LINES_H

namespace dictionary {

// QChercherRecordParRowID: the locked record of a lock row, by the end of its ROWID.
struct RowIdLookupLine {
    static constexpr int kTableName = 2;
    static constexpr int kRowIdEnd = 5;  // the six characters, quoted
};

// QTrouverRowID: the ROWID of the record whose first field has a value.
struct RowIdOfValueLine {
    static constexpr int kTableName = 1;
    static constexpr int kColumn = 3;
    static constexpr int kValue = 5;
};

// QTrouverUserQuiBloqueRecord: the owners of one record.
struct RecordOwnerLine {
    static constexpr int kTablePath = 4;  // the table file, quoted
    static constexpr int kRecNo = 6;
};

}  // namespace dictionary

#endif  // BREVANTIS_DICTIONARY_TEMPLATE_LINES_H
