#include "engine/CopyFileEntry.h"

#include "engine/CreateDirectories.h"
#include "engine/ExpandFile.h"
#include "engine/FileCompare.h"
#include "engine/PathHelpers.h"
#include "resources/resource.h"
#include "script/FileEntry.h"
#include "script/SetupScript.h"

#include <lzexpand.h>
#include <mbstring.h>

namespace {

// The outcome of one entry as the rules below decide it.
struct CopyState {
    int pending = 1;
    int result = 100;
    int compressed = 0;
    int askUser = 0;
    int destinationExists = 0;
    int useDateRule = 0;
    int deleteTemporary = 0;
    int keepGoing = 1;

    void finish(int r) {
        pending = 0;
        result = r;
    }
    // A newer source replaces the old file without a question.
    void sourceNewer() {
        if (askUser == 1)
            askUser = 0;
    }
    // An older or equal source is put to the user, or else the existing file stays.
    void sourceNotNewer() {
        if (askUser != 1)
            finish(1);
    }
    // The expansion into the temporary directory is made at most once.
    bool takeExpansion() {
        if (compressed != 1)
            return false;
        compressed = 20;
        return true;
    }
    int finalResult() const { return result == 100 ? 1 : result; }
};

enum OverwriteMode {
    kAskAlways = 0,
    kAskUnlessNewerByDate = 1,
    kAskUnlessNewerByVersion = 2,
    kOverwrite = 3,
    kKeepExisting = 4,
    kNewerByDate = 5,
    kNewerByVersion = 6,
};

// A copy error ends the installation: the cause has been shown, and the end of the entry
// says that the setup ends and switches to the abort page. Retrying the same entry on the
// next pass would only repeat the same message.
void failEntry(CopyState& state) {
    state.finish(0);
    state.keepGoing = 0;
}

void showCopyError(CCopyContext& context, CopyState& state) {
    context.MessageBoxId(IDS_ERR_COPY, nullptr, MB_ICONEXCLAMATION);
    failEntry(state);
}

bool isAbsoluteDirectory(const CString& dir) {
    return dir.GetLength() >= 2 && !_ismbblead(static_cast<unsigned char>(dir[0])) &&
           dir[1] == ':';
}

// The file name appended to the destination path: the entry's own, else the name the source
// bears once expanded. Marks a compressed source even when the entry names the destination,
// so that the version rule compares the expanded file and not the compressed one, which has
// no version.
CString destinationName(const CFileEntry& entry, const CString& sourcePath, CopyState& state) {
    char expanded[kMaxCopyPath + 1] = {};
    CString source(sourcePath);
    INT got = GetExpandedNameA(source.GetBuffer(source.GetLength()), expanded);
    source.ReleaseBuffer();
    bool compressed = got >= 0 && lstrcmpiA(expanded, sourcePath) != 0;
    if (compressed)
        state.compressed = 1;

    if (!entry.m_strDstName.IsEmpty())
        return entry.m_strDstName;
    if (!compressed)
        return entry.m_strSrcName;

    int start = sourcePath.GetLength() - entry.m_strSrcName.GetLength();
    int length = lstrlenA(expanded);
    if (start < 0 || start >= length)
        return entry.m_strSrcName;
    return CString(expanded + start);
}

void applyDateRule(CCopyContext& context, CopyState& state, const CString& source,
                   const CString& destination) {
    switch (CompareDates(source, destination)) {
    case 0:
        showCopyError(context, state);
        break;
    case 1:
        state.sourceNotNewer();
        break;
    default:
        state.sourceNewer();
        break;
    }
}

void applyVersionRule(CCopyContext& context, CopyState& state, CString& source,
                      const CString& destination, CString& temporaryPath) {
    for (;;) {
        int r = CompareVersions(source, destination);
        if (r == 0) {
            showCopyError(context, state);
            return;
        }
        if (r == 1) {
            if (state.takeExpansion()) {
                // Without a temporary directory the bare file name would resolve against the
                // current directory, the medium, and overwrite and delete its file there.
                if (context.GetTempDir().IsEmpty()) {
                    context.MessageBoxId(IDS_ERR_OPEN_DESTINATION, nullptr, MB_ICONEXCLAMATION);
                    failEntry(state);
                    return;
                }
                temporaryPath = CopyWithTrailingBackslash(context.GetTempDir(), TRUE) +
                                FileNamePart(destination);
                state.deleteTemporary = 1;
                if (temporaryPath.GetLength() > kMaxCopyPath) {
                    showCopyError(context, state);
                    return;
                }
                if (!ExpandFile(context, source, temporaryPath)) {
                    failEntry(state);
                    return;
                }
                source = temporaryPath;
                continue;
            }
            state.useDateRule = 1;
        } else if (r == 2) {
            state.useDateRule = 1;
        } else if (r == 3) {
            state.sourceNotNewer();
        } else {
            state.sourceNewer();
        }
        break;
    }
    if (state.pending == 1 && state.useDateRule == 1)
        applyDateRule(context, state, source, destination);
}

} // namespace

int CopyFileEntry(CCopyContext& context, const CFileEntry& entry, BOOL progressBar) {
    CopyState state;
    context.ShowCopyingFile(entry.m_strSrcPath);

    CString source = CopyWithTrailingBackslash(context.GetSourceDir(), TRUE) + entry.m_strSrcPath;
    const CString initialSource = source;

    CString destination;
    if (isAbsoluteDirectory(entry.m_strDstDir))
        destination = entry.m_strDstDir;
    else
        destination = CopyWithTrailingBackslash(context.GetDestinationDir(), TRUE) +
                      entry.m_strDstDir;

    if (source.GetLength() > kMaxCopyPath) {
        context.ShowSourcePath(source);
        showCopyError(context, state);
    } else {
        destination += destinationName(entry, source, state);
        context.ShowSourcePath(source);
        context.ShowDestinationPath(destination);
        // A source too long for the system cannot be opened wherever it lies: taking it for
        // a missing disk would ask for the disk again and again.
        if (destination.GetLength() > kMaxCopyPath || source.GetLength() >= MAX_PATH)
            showCopyError(context, state);
    }

    if (state.pending == 1) {
        if (!FileExists(source)) {
            context.StopInstalling();
            context.AskForDisk(entry.m_nDisk, context.GetSourceDir());
            state.finish(0);
        } else if (FileExists(destination)) {
            state.destinationExists = 1;
        } else if (entry.m_bUpdateOnly == 1) {
            state.finish(1);
        }
    }

    CString temporaryPath;
    if (state.pending == 1 && state.destinationExists == 1) {
        switch (entry.m_nOverwriteMode) {
        case kAskUnlessNewerByDate:
            state.askUser = 1;
            applyDateRule(context, state, source, destination);
            break;
        case kAskUnlessNewerByVersion:
            state.askUser = 1;
            applyVersionRule(context, state, source, destination, temporaryPath);
            break;
        case kOverwrite:
            break;
        case kKeepExisting:
            state.finish(1);
            break;
        case kNewerByDate:
            applyDateRule(context, state, source, destination);
            break;
        case kNewerByVersion:
            applyVersionRule(context, state, source, destination, temporaryPath);
            break;
        case kAskAlways:
        default:
            state.askUser = 1;
            break;
        }
    }

    if (state.pending == 1 && state.askUser == 1) {
        int answer = context.AskOverwrite(destination, initialSource);
        if (answer == IDCANCEL) {
            context.StopInstalling();
            context.ShowAbortPage();
            state.finish(0);
        } else if (answer == IDNO) {
            state.finish(1);
        }
    }

    if (state.pending == 1) {
        // A script's destination directory below the chosen one need not exist yet.
        CreateDirectoriesOf(destination);
        if (ExpandFile(context, source, destination))
            state.finish(1);
        else
            failEntry(state);
    }

    if (state.finalResult() == 1 && progressBar)
        context.StepProgress();

    if (state.deleteTemporary == 1)
        DeleteFileA(temporaryPath);

    if (state.keepGoing == 0) {
        context.MessageBoxId(IDS_ERR_COPY_ABORT, nullptr, MB_ICONEXCLAMATION);
        context.StopInstalling();
        context.ShowAbortPage();
    }
    return state.finalResult();
}
