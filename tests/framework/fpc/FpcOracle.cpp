// The Free Pascal oracle: fpcstream run through the shell, with files in the temporary folder.
#include "tests/framework/fpc/FpcOracle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

std::string ShellQuoted(const std::string& path) {
    std::string q = "'";
    for (char c : path)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

TTempFile::TTempFile(const std::string& suffix) {
    static int counter = 0;
    FPath = testing::TempDir() + "fpcoracle_" + std::to_string(getpid()) + "_" + std::to_string(++counter) +
            suffix;
}

TTempFile::~TTempFile() {
    std::remove(FPath.c_str());
}

void TTempFile::Write(const std::string& bytes) const {
    std::ofstream f(FPath, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    if (!f) ADD_FAILURE() << "cannot write " << FPath;
}

std::string TTempFile::Read() const {
    std::ifstream f(FPath, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TFpcResult RunFpcStream(const std::string& arguments) {
    return RunCommand(ShellQuoted(FPCSTREAM_PATH) + " " + arguments);
}

TFpcResult RunCommand(const std::string& commandLine) {
    TTempFile out(".out"), err(".err");
    std::string command = commandLine + " >" + ShellQuoted(out.Path()) + " 2>" + ShellQuoted(err.Path());
    int status = std::system(command.c_str());
    TFpcResult r;
    r.ExitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Out = out.Read();
    r.Err = err.Read();
    return r;
}

TFpcResult FpcToText(const std::vector<uint8_t>& binary) {
    TTempFile in(".bin");
    in.Write(std::string(binary.begin(), binary.end()));
    return RunFpcStream("totext " + ShellQuoted(in.Path()));
}

TFpcResult FpcToBinary(const std::string& text) {
    TTempFile in(".txt"), out(".bin");
    in.Write(text);
    TFpcResult r = RunFpcStream("tobinary " + ShellQuoted(in.Path()) + " " + ShellQuoted(out.Path()));
    r.Out = out.Read();
    return r;
}
