#pragma once
#include "list/engine/result_row.h"

#include <QtGlobal>
#include <functional>
#include <vector>

// Finds rows by full path without keeping the paths: it hashes folder,
// separator and name as one text, and compares as the platform compares
// paths (letter case counts except on Windows).
class KeyIndex {
public:
    // The row that holds an id.
    using RowOf = std::function<const ResultRow &(int id)>;

    void clear();
    void reserve(size_t rows, const RowOf &rowOf);
    // The id stored under a full path, or under folder + name; -1 for none.
    int find(QStringView path, const RowOf &rowOf) const;
    int find(const QString &folder, const QString &name, const RowOf &rowOf) const;
    void insert(const ResultRow &row, const RowOf &rowOf);
    void remove(const ResultRow &row);
    // Removes every id the test names.
    void removeIf(const std::function<bool(int id)> &gone);

    static size_t hashOf(const ResultRow &row);

private:
    template <typename Same> int lookup(size_t hash, Same same) const;
    void rehash(size_t capacity, const RowOf &rowOf);
    void insertId(int id, size_t hash);

    std::vector<quint64> m_slots; // hash tag << 32 | id
    size_t m_used = 0;            // filled and removed slots
};
