// dfm: converts component streams between text form and binary form.
//
//   dfm tobinary IN OUT             one object of a text form file (.dfm) to its binary form (a form
//   resource) dfm tobinary --edition IN OUT   every object of the text file as a record sequence closed by a
//   0 byte dfm totext IN                   a binary object, or a record sequence, to text on standard output
//
// Errors go to standard error with exit code 1; a wrong command line exits with 2. OUT is written only when
// the whole conversion succeeded.
#include "framework/core/ClassesText.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

using namespace Classes;

namespace {

int Usage() {
    std::fprintf(stderr, "usage: dfm tobinary [--edition] IN OUT\n"
                         "       dfm totext IN\n");
    return 2;
}

void ToBinary(const String& in, const String& out, bool edition) {
    TMemoryStream text;
    text.LoadFromFile(in);
    TMemoryStream binary;
    if (edition) {
        ObjectSequenceTextToBinary(text, binary);
    } else {
        ObjectTextToBinary(text, binary);
        if (text.GetPosition() < text.GetSize())
            throw EParserError("more than one object in the file; --edition converts a sequence of objects");
    }
    binary.SaveToFile(out);
}

void ToText(const String& in) {
    TMemoryStream binary;
    binary.LoadFromFile(in);
    if (binary.GetSize() == 0) throw EReadError("Stream read error: the file is empty");
    TMemoryStream text;
    ObjectSequenceBinaryToText(binary, text);
    if (binary.GetPosition() < binary.GetSize())
        throw EReadError("Invalid stream format: data after the end of the record sequence at offset " +
                         SysUtils::IntToStr(binary.GetPosition()));
    std::fwrite(text.Memory(), 1, size_t(text.GetSize()), stdout);
    if (std::fflush(stdout) != 0) throw EWriteError("Cannot write the text to standard output");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    std::string command = args[0];
    args.erase(args.begin());
    bool edition = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (a == "--edition" && command == "tobinary")
            edition = true;
        else if (a.size() > 1 && a[0] == '-')
            return Usage();
        else
            files.push_back(a);
    }
    const char* current = files.empty() ? "" : files[0].c_str();
    try {
        if (command == "tobinary" && files.size() == 2)
            ToBinary(files[0], files[1], edition);
        else if (command == "totext" && files.size() == 1)
            ToText(files[0]);
        else
            return Usage();
    } catch (const SysUtils::Exception& e) {
        std::fprintf(stderr, "dfm: %s: %s\n", current, e.Message().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dfm: %s: %s\n", current, e.what());
        return 1;
    }
    return 0;
}
