// What the engine's tests share: temporary folders and whole files, the tables pxfixture made at build time
// (with pxlib's reading of each), the engine's C interface held by a small owner, values, the engine's
// reading of a table in pxfixture's dump form, an independent walk of a file's block chain, and natively
// pxlib itself: tables written by pxlib in any version, and pxlib's reading of any table.
//
//   TempFolder tmp("insert");
//   std::string path = tmp.CopyFixture("template43_1251");     // a fresh copy of a pxlib table
//   EngineTable t(path, PDX_OPEN_READ_WRITE);
//   ASSERT_EQ(t.Insert(42, StyleValues()), PDX_OK) << t.Error();
//   EXPECT_EQ(t.Dump(), expectedLines);                         // the engine's reading
//   ExpectPxlibReads(path, expectedLines);                      // pxlib's (natively; nothing under Wine)
#pragma once

#include "engine/PdxEngine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace EngineTest {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& p);
fs::path FromUtf8(const std::string& s);

std::string ReadAll(const std::string& utf8Path);
void WriteAll(const std::string& utf8Path, const std::string& bytes);

int ProcessId();

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The UTF-8 path of a file in the folder.
    std::string File(const std::string& utf8Name) const;
    // A copy of a build-time fixture (see FixturePath), named as given or after the fixture.
    std::string CopyFixture(const std::string& fixture, const std::string& utf8Name = "") const;

private:
    fs::path FPath;
};

// The build-time tables (tests/engine/CMakeLists.txt): template3, template43_1251/_866/_1252,
// template16_1k (two full 1 KiB blocks), template300_1k/_2k/_4k/_16k, empty, types_1251/_866 (every type
// pxlib writes, 25 records), autoinc (Id:+, Name:A10; 3 records). Never written to: copy them first.
std::string FixturePath(const std::string& name);
// pxlib's reading of a fixture, made when the fixture was made: one line per record.
std::vector<std::string> FixtureDump(const std::string& name);
std::vector<std::string> SplitLines(const std::string& text);

// ---------------------------------------------------------------------------------------------------------
// Values. Text and bytes point into the caller's storage (a literal, or a string that outlives the call).

PdxValue Null();
PdxValue Int(int64_t i);
PdxValue Float(double f);
PdxValue Bool(bool b);
PdxValue Text(std::string_view s);
PdxValue Date(int64_t days);
PdxValue Time(int64_t ms);
PdxValue Stamp(double ms);
PdxValue Bytes(std::string_view s);

// A value in pxfixture's dump form: NULL, true/false, integers, shortest exact numbers, ISO dates and times,
// escaped text, hexadecimal bytes.
std::string Format(const PdxValue& v);

// The 21 values of a style record for a template table with the given Level and Name (the name must outlive
// the values), and pxlib's dump line of that record. The other fields hold fixed values chosen to cover
// blanks, negative and extreme shorts, true and false.
std::vector<PdxValue> StyleValues(int level, std::string_view name);
std::string StyleLine(int level, const std::string& name);

// ---------------------------------------------------------------------------------------------------------
// The engine through its C interface.

class EngineTable {
public:
    EngineTable(const std::string& path, int mode = PDX_OPEN_READ);
    ~EngineTable();
    EngineTable(const EngineTable&) = delete;
    EngineTable& operator=(const EngineTable&) = delete;

    PdxTable* Get() const { return FTable; }
    // The status of pdx_open and its message.
    PdxStatus OpenStatus() const { return FOpenStatus; }
    // pdx_last_error() after the last failing call made through this object.
    const std::string& Error() const { return FError; }

    PdxTableInfo Info();
    std::vector<std::string> FieldNames();
    // pdx_refresh's count; a failure is a test failure (and 0).
    uint32_t Refresh();
    PdxStatus Refresh(uint32_t& count);
    PdxStatus Value(uint32_t position, int field, PdxValue& v);
    // One record in dump form: Name=Value<TAB>Name=Value...
    std::string Line(uint32_t position);
    // Refreshes, then every record.
    std::vector<std::string> Dump();
    PdxStatus Insert(uint32_t position, const std::vector<PdxValue>& values, uint32_t* at = nullptr);

private:
    PdxStatus Note(PdxStatus s);

    PdxTable* FTable = nullptr;
    PdxStatus FOpenStatus;
    std::string FError;
};

// ---------------------------------------------------------------------------------------------------------
// The block chain of a table file as this test reads it, independently of the engine.

struct Layout {
    int recordSize = 0, headerSize = 0, blockSize = 0;
    uint32_t numRecords = 0, autoInc = 0;
    int nextBlock = 0, fileBlocks = 0, firstBlock = 0, lastBlock = 0, maxBlocks = 0;
    std::vector<int> chain;   // block numbers in chain order
    std::vector<int> records; // records in each of them
    uint64_t fileSize = 0;
    std::string error; // the first inconsistency found, empty when none
    int Walked() const;
};

Layout ReadLayout(const std::string& bytes);
// Fails the test unless the chain is sound and every counter in the header agrees with it.
void ExpectConsistent(const std::string& path);

// ---------------------------------------------------------------------------------------------------------
// pxlib (natively).

// Natively: pxlib's reading of the file (chain walked first, as pxfixture dump does) equals expected, and
// the file's header and chain are consistent. Under Wine: only the consistency.
void ExpectPxlibReads(const std::string& path, const std::vector<std::string>& expected);

#ifdef HAVE_PXLIB
// pxlib's reading; an unreadable file gives an empty list and sets *error.
std::vector<std::string> PxlibDump(const std::string& path, std::string* error = nullptr);

struct PxField {
    std::string name;
    char type; // pxlib's type code (pxfAlpha ...)
    int size;
};

struct PxValue {
    bool null = true;
    long l = 0;
    double d = 0;
    std::string text; // UTF-8
};
PxValue PxInt(long l);
PxValue PxDouble(double d);
PxValue PxText(const std::string& utf8);

struct PxTableSpec {
    std::vector<PxField> fields;
    int codePage = 1251;
    int blockKiB = 0; // 0: pxlib's choice
    int version = 70; // 70, 50 or 40
};

// A table written by pxlib; the text is converted to the code page here (pxlib's own conversion crashes on
// text longer than its field in UTF-8).
void PxlibMake(const std::string& path, const PxTableSpec& spec,
               const std::vector<std::vector<PxValue>>& records);
#endif

} // namespace EngineTest
