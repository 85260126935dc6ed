// The Free Pascal oracle for component stream tests: runs the fpcstream program (Free Pascal's own
// ObjectBinaryToText and ObjectTextToBinary, built in this folder) on bytes or text and returns what it gave.
//
//   TFpcResult r = FpcToText(bytes);        // r.ExitCode 0, r.Out the text Free Pascal prints
//   TFpcResult b = FpcToBinary(text);       // r.Out the bytes of every object, one after the other
//   EXPECT_EQ(r.Out, OurText(bytes)) << r.Err;
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TFpcResult {
    int ExitCode = -1; // fpcstream's exit code: 0 success, 1 an exception (described in Err)
    std::string Out;   // standard output (totext) or the output file's bytes (tobinary)
    std::string Err;   // standard error
};

// Writes the bytes to a temporary file, runs "fpcstream totext" on it and returns its output: the text of
// every object until the end or a 0 byte.
TFpcResult FpcToText(const std::vector<uint8_t>& binary);

// Writes the text to a temporary file, runs "fpcstream tobinary" on it and returns the bytes: "TPF0" and the
// record of every object, one after the other, without a closing 0 byte.
TFpcResult FpcToBinary(const std::string& text);

// Runs fpcstream with the given arguments (already quoted where needed) and returns its exit code, standard
// output and standard error. The building block of the two above.
TFpcResult RunFpcStream(const std::string& arguments);

// Runs any command line through the shell and returns the same three things.
TFpcResult RunCommand(const std::string& commandLine);

// A path quoted for the shell.
std::string ShellQuoted(const std::string& path);

// A file in the test's temporary folder, unique within the process, removed by the destructor.
class TTempFile {
public:
    explicit TTempFile(const std::string& suffix);
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    const std::string& Path() const { return FPath; }
    void Write(const std::string& bytes) const;
    std::string Read() const;

private:
    std::string FPath;
};
