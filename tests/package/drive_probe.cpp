// Started in a Wine prefix, tells what of the machine's files a program there
// reaches by drive letter: the letters GetLogicalDrives reports, each with the
// device Wine names for it, and whether Z:\etc\hostname (the machine's host
// name file through the drive Wine gives the whole file system) opens.
// Exit code 0 when C: is the only drive and the file does not open, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    const DWORD drives = GetLogicalDrives();
    std::string letters;
    for (int i = 0; i < 26; ++i) {
        if ((drives & (1u << i)) == 0) continue;
        const char letter = static_cast<char>('A' + i);
        letters += letter;
        const std::string name{letter, ':'};
        char target[MAX_PATH] = {};
        if (QueryDosDeviceA(name.c_str(), target, sizeof target) == 0) target[0] = '\0';
        std::printf("drive %s %s\n", name.c_str(), target);
    }
    std::printf("drives: %s\n", letters.empty() ? "none" : letters.c_str());

    HANDLE file = CreateFileA("Z:\\etc\\hostname", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool opened = file != INVALID_HANDLE_VALUE;
    const DWORD error = GetLastError();
    if (opened) {
        CloseHandle(file);
        std::printf("Z:\\etc\\hostname: opens\n");
    } else {
        std::printf("Z:\\etc\\hostname: does not open (error %lu)\n", error);
    }
    return letters == "C" && !opened ? 0 : 1;
}
