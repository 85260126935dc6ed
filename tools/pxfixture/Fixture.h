// pxfixture's work: tables made with pxlib from a field list and generated values, and pxlib's reading of a
// table in the form `pdxtool dump` prints.
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
};

struct FieldSpec {
    std::string name;
    char type; // pxlib's type code
    int size;
};

// The 21 style fields of a template table, less the one named by omit (none when empty).
void MakeTemplate(const TableSpec& spec, const std::string& omit);
// A table of the fields "Name:TYPE,..." with the generated values that `pxfixture` describes.
void MakeTable(const TableSpec& spec, const std::string& fields);
// Prints pxlib's reading of a table; throws std::runtime_error on a damaged file.
void Dump(const std::string& path, FILE* out);

// UTF-8 text in a code page, by iconv; an unencodable character is an error.
std::string ToCodePage(const std::string& utf8, int codePage);
std::string FromCodePage(const std::string& bytes, int codePage);

} // namespace Fixture
