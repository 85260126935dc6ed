// pxfixture's work: tables made with pxlib from a field list and generated values, and pxlib's reading of a
// table in the form `pdxtool dump` prints.
//
//   Fixture::TableSpec spec{"styles.db", 43};
//   Fixture::MakeTemplate(spec, "");               // the 21 style fields, 43 styles
//   Fixture::MakeTable(spec, "Id:S,Name:A20");     // any layout, values as `pxfixture` describes them
//   Fixture::Dump("styles.db", stdout);            // pxlib's reading, the block chain checked first
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace Fixture {

struct TableSpec {
    std::string path;
    int records = 0;
    int codePage = 1251;
    int blockKiB = 0; // 0: pxlib's choice
    int version = 70; // 70, 50 or 40
    int keyFields = 0;
};

struct FieldSpec {
    std::string name;
    char type; // pxlib's type code
    int size;  // bytes in the record; 17 for BCD
    int decimals = 0;
};

// The 21 style fields of a template table, less the one named by omit (none when empty).
void MakeTemplate(const TableSpec& spec, const std::string& omit);
// A table of the fields "Name:TYPE,..." with the generated values that `pxfixture` describes.
void MakeTable(const TableSpec& spec, const std::string& fields);
// Prints pxlib's reading of a table; throws std::runtime_error on a damaged file.
void Dump(const std::string& path, FILE* out);

// The blob file beside a table: its name with the extension .mb (.MB when the table's is upper case).
std::string BlobPath(const std::string& tablePath);

// UTF-8 text in a code page, by iconv; an unencodable character is an error.
std::string ToCodePage(const std::string& utf8, int codePage);
std::string FromCodePage(const std::string& bytes, int codePage);

} // namespace Fixture
