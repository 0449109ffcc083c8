// The program's end on Windows: the fatal error report for an uncaught
// run-time error, and closing the main window or ending the session with the
// help window open.
#include "check.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace {

struct Run
{
    DWORD status = 0xFFFFFFFF;
    std::string output;
};

// Runs the probe (beside this program) with a mode and collects what it prints.
Run probe(const wchar_t* mode)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring probePath = path;
    probePath.resize(probePath.find_last_of(L"\\/") + 1);
    probePath += L"fatal_probe.exe";
    std::wstring command = L"\"" + probePath + L"\" " + mode;

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    Run run;
    if (!CreateProcessW(probePath.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return run;
    }
    CloseHandle(writeEnd);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        for (DWORD i = 0; i < got; ++i)
            if (buffer[i] != '\r') // the C library writes its lines with CR LF
                run.output += buffer[i];
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}

} // namespace

TEST(fatalReport)
{
    const struct
    {
        const wchar_t* mode;
        std::u16string_view text;
    } cases[] = {
        {L"index", u"実行時エラー '9':\n\nインデックスが有効範囲にありません。"},
        {L"text", u"実行時エラー '13':\n\n型が一致しません。"},
        {L"shift-text", u"実行時エラー '13':\n\n型が一致しません。"},
        {L"main-window-fails", u"実行時エラー '1000':\n\nウィンドウの操作に失敗しました。"},
        {L"help-window-fails", u"実行時エラー '1000':\n\nウィンドウの操作に失敗しました。"},
        // A screen reader's press takes the same way as a click, errors included.
        {L"accessible-shift-text", u"実行時エラー '13':\n\n型が一致しません。"},
        {L"accessible-help-window-fails",
         u"実行時エラー '1000':\n\nウィンドウの操作に失敗しました。"},
    };
    for (const auto& c : cases) {
        const Run run = probe(c.mode);
        CHECK_EQ(run.status, DWORD(1));
        const std::string expected = "title: Marelo\ntext: " + check::utf8(c.text) + "\n";
        if (!CHECK_EQ(run.output.substr(0, expected.size()), expected))
            std::printf("    output: %s\n", run.output.c_str());
        // The program ended inside the report: nothing ran after it.
        CHECK(run.output.find("ended:") == std::string::npos);
    }
}

TEST(closingMainEndsEverything)
{
    const Run run = probe(L"close-with-help");
    CHECK_EQ(run.status, DWORD(0));
    // Help went with the program, without running its own unload.
    if (!CHECK(run.output.find("ended: status 0, counts 0 0 0, help still loaded") !=
               std::string::npos))
        std::printf("    output: %s\n", run.output.c_str());
    CHECK(run.output.find("title:") == std::string::npos);
}

TEST(endOfSessionEndsEverything)
{
    // Logging off unloads main, which ends the program: main returns, and the
    // windows go with the forms on its stack before any static object.
    const Run run = probe(L"end-session-with-help");
    CHECK_EQ(run.status, DWORD(0));
    if (!CHECK(run.output.find("ended: status 0, counts 0 0 0, help still loaded") !=
               std::string::npos))
        std::printf("    output: %s\n", run.output.c_str());
    CHECK(run.output.find("title:") == std::string::npos);
}

CHECK_MAIN()
