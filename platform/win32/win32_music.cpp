// The music on Windows: looked for in the working folder first, as the show opens it, then in
// the folder the program is in, since a shortcut or Explorer may start it from anywhere. Where
// neither has a file the show can play, a message box says so, for a program with no console
// to write to, and the show goes on silent.
#include "platform/win32/win32_platform.h"

#include "audio/music_stream.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char *kCaption = "glaxen";
constexpr const char *kAdvice = "so the show runs silent: extract the whole folder before running";
constexpr size_t kPathSize = 2 * MAX_PATH;

// Why the music at path cannot be played, in the audio library's words; null when it can. Sets
// *missing when there is no such file.
const char *musicProblem(const char *path, bool *missing) {
    VorbisOpenError error = VorbisOpenError::kNone;
    VorbisMusic *music = openVorbisMusic(path, &error);
    *missing = error == VorbisOpenError::kMissing;
    if (music == nullptr) return vorbisOpenErrorText(error);
    MusicStream stream;
    const char *why = "out of memory";
    if (musicStreamAllocate(stream, 1))
        why = musicStreamSet(stream, music, 1);  // the stream takes the music
    else
        closeVorbisMusic(music);
    musicStreamFree(stream);
    return why;
}

// The two folders looked in, and the program's file name for the message.
struct MusicFolders {
    char working[MAX_PATH] = ".";  // "." when Windows cannot say
    char program[MAX_PATH] = "";   // empty when it is the working folder, or unknown
    bool same = false;             // the program is in the working folder
    char programPath[MAX_PATH] = "";
    const char *programName = "";  // in programPath
};

// The working folder, and the program's path cut at its last backslash (kept after a drive).
void findFolders(const Win32Api &api, MusicFolders &f) {
    const DWORD length = api.getCurrentDirectoryA(MAX_PATH, f.working);
    if (length == 0 || length >= MAX_PATH) std::strcpy(f.working, ".");
    const DWORD pathLength = api.getModuleFileNameA(nullptr, f.programPath, MAX_PATH);
    char *slash = std::strrchr(f.programPath, '\\');
    if (pathLength == 0 || pathLength >= MAX_PATH || slash == nullptr) return;
    f.programName = slash + 1;
    const size_t folderLength = slash > f.programPath && slash[-1] == ':'
                                    ? static_cast<size_t>(slash - f.programPath) + 1
                                    : static_cast<size_t>(slash - f.programPath);
    std::memcpy(f.program, f.programPath, folderLength);
    f.program[folderLength] = '\0';
    f.same = _stricmp(f.program, f.working) == 0;
    if (f.same) f.program[0] = '\0';
}

// folder\file, with no second backslash after a drive's.
void joinPath(char (&path)[kPathSize], const char *folder, const char *file) {
    const size_t length = std::strlen(folder);
    const bool slash = length > 0 && folder[length - 1] == '\\';
    std::snprintf(path, kPathSize, "%s%s%s", folder, slash ? "" : "\\", file);
}

}  // namespace

// The first folder with a playable file gives the stream. Else the box names the first file
// that is there with its reason, or, with none there, the folders looked in.
uint32_t win32StreamCreateFile(Win32Platform &platform, const char *file) {
    const Win32Api &api = *platform.api;
    MusicFolders folders;
    findFolders(api, folders);
    char path[kPathSize];
    char unplayable[kPathSize] = "";
    const char *reason = nullptr;
    for (const char *folder : {folders.working, folders.program}) {
        if (folder[0] == '\0') continue;
        joinPath(path, folder, file);
        bool missing = false;
        const char *why = musicProblem(path, &missing);
        if (why == nullptr) {
            const ShowAudio library = showAudio(&platform.audio);
            return library.streamCreateFile(library.user, path, 0, 0, 0);
        }
        if (!missing && reason == nullptr) {
            std::strcpy(unplayable, path);
            reason = why;
        }
    }
    char text[3 * kPathSize];
    if (reason != nullptr)
        std::snprintf(text, sizeof text, "The music %s cannot be played (%s), %s.", unplayable,
                      reason, kAdvice);
    else if (folders.same)
        std::snprintf(text, sizeof text, "The music %s is not in the folder of %s, %s, %s.", file,
                      folders.programName, folders.working, kAdvice);
    else if (folders.program[0] == '\0')
        std::snprintf(text, sizeof text, "The music %s is not in the working folder, %s, %s.", file,
                      folders.working, kAdvice);
    else
        std::snprintf(text, sizeof text,
                      "The music %s is neither in the working folder, %s, nor in the folder of "
                      "%s, %s, %s.",
                      file, folders.working, folders.programName, folders.program, kAdvice);
    api.messageBoxA(nullptr, text, kCaption, MB_OK | MB_ICONWARNING);
    return 0;
}
