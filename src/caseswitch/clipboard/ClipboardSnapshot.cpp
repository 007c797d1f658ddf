#include "caseswitch/clipboard/ClipboardSnapshot.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "caseswitch/clipboard/ClipboardGuard.h"
#include "caseswitch/text/SnapshotChoice.h"

namespace runtime {
namespace {

// Wine lists the formats it synthesises after the placed ones (see PlacedUnderWine); Windows
// gives no such order, so there every listed format counts as placed and is read.
bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// What reading one format gives: its bytes, none (absent or unreadable: left out, as a format that
// is no bytes is), or a reason for no snapshot at all.
enum class Read { Saved, LeftOut, TooLarge };

// GetClipboardData copies a memory format into a block of this process; a block it could not
// have is content too large to save, not a format to leave out.
Read Missing() {
    const DWORD error = GetLastError();
    return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY ? Read::TooLarge : Read::LeftOut;
}

Read ReadMemoryFormat(UINT format, std::size_t room, SavedBytes& bytes) {
    SetLastError(ERROR_SUCCESS);
    HANDLE data = GetClipboardData(format);
    if (!data) return Missing();
    GlobalLockGuard lock(data);
    if (!lock.IsLocked()) return Read::LeftOut;
    if (lock.Size() > room) return Read::TooLarge;
    unsigned char* copy = bytes.Allocate(lock.Size());
    if (!copy) return Read::TooLarge;
    std::memcpy(copy, lock.Data(), lock.Size());
    return Read::Saved;
}

Read ReadEnhancedMetafile(std::size_t room, SavedBytes& bytes) {
    SetLastError(ERROR_SUCCESS);
    HENHMETAFILE metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    if (!metafile) return Missing();
    const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    if (size == 0) return Read::LeftOut;
    if (size > room) return Read::TooLarge;
    unsigned char* records = bytes.Allocate(size);
    if (!records) return Read::TooLarge;
    return GetEnhMetaFileBits(metafile, size, records) == size ? Read::Saved : Read::LeftOut;
}

bool PutEnhancedMetafile(const SavedBytes& bytes) {
    // A UINT counts the bytes: a longer picture (64-bit only) would be cut short, so it is not put back.
    if (static_cast<std::uint64_t>(bytes.size()) > UINT_MAX) return false;
    HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    if (!metafile) return false;
    if (SetClipboardData(CF_ENHMETAFILE, metafile)) return true;
    DeleteEnhMetaFile(metafile);
    return false;
}

// A snapshot read on a thread of its own. Whoever is last of the reader and the waiter frees it:
// a waiter that gives up leaves it to the reader, which may be held in an owner's rendering for
// long after.
struct SnapshotJob {
    SnapshotJob(HWND opener, std::size_t mostBytes) : opener(opener), mostBytes(mostBytes) {}
    const HWND opener;
    const std::size_t mostBytes;
    ClipboardSnapshot snapshot;
    // The reader sets kDone, the waiter kGivenUp; whoever finds the other's mark frees the job.
    static constexpr LONG kReading = 0, kDone = 1, kGivenUp = 2;
    volatile LONG state = kReading;
};

DWORD WINAPI ReadOnItsOwnThread(void* parameter) {
    auto* job = static_cast<SnapshotJob*>(parameter);
    {
        ClipboardGuard clipboard(job->opener);
        job->snapshot = clipboard.IsOpen() ? ClipboardSnapshot::TakeFromOpenClipboard(job->mostBytes)
                                           : ClipboardSnapshot::Failed(SnapshotOutcome::Busy);
    }
    if (InterlockedExchange(&job->state, SnapshotJob::kDone) == SnapshotJob::kGivenUp) delete job;
    return 0;
}

// Waits for the reader, handling what other threads send to this one: the reader's opening of
// the clipboard may send this thread's window, the clipboard's owner, Wine's update request.
bool WaitForReader(HANDLE thread, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &thread, left, QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken != WAIT_OBJECT_0 + 1) return false;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

unsigned char* SavedBytes::Allocate(std::size_t size) {
    bytes.reset(new (std::nothrow) unsigned char[size == 0 ? 1 : size], std::default_delete<unsigned char[]>());
    length = bytes ? size : 0;
    return bytes.get();
}

ClipboardSnapshot ClipboardSnapshot::TakeFromOpenClipboard(std::size_t mostBytes) {
    ClipboardSnapshot snapshot;
    snapshot.sequence = GetClipboardSequenceNumber();
    const std::vector<ListedFormat> listed = ListOpenClipboardFormats();
    std::size_t placed = listed.size();
    if (RunningOnWine()) {
        std::vector<std::uint32_t> ids;
        ids.reserve(listed.size());
        for (const ListedFormat& format : listed)
            ids.push_back(format.id);
        placed = PlacedUnderWine(ids);
    }
    std::size_t room = mostBytes;
    const std::vector<FormatToSave> chosen = ChooseFormatsToSave(listed, placed);
    // One entry for each chosen format, made at once; those left out are dropped at the end.
    snapshot.formats = std::vector<SavedFormat>(chosen.size());
    std::size_t kept = 0;
    for (const FormatToSave& format : chosen) {
        SavedFormat& saved = snapshot.formats[kept];
        saved.format = format.id;
        saved.enhancedMetafile = format.enhancedMetafile;
        const Read read = saved.enhancedMetafile ? ReadEnhancedMetafile(room, saved.bytes)
                                                 : ReadMemoryFormat(saved.format, room, saved.bytes);
        // Nothing of it is kept: the memory goes back at once.
        if (read == Read::TooLarge) return Failed(SnapshotOutcome::TooLarge);
        if (read == Read::LeftOut) continue;
        room -= saved.bytes.size();
        ++kept;
    }
    snapshot.formats.erase(snapshot.formats.begin() + static_cast<std::ptrdiff_t>(kept), snapshot.formats.end());
    return snapshot;
}

ClipboardSnapshot ClipboardSnapshot::Failed(SnapshotOutcome outcome) {
    ClipboardSnapshot none;
    none.outcome = outcome;
    return none;
}

ClipboardSnapshot ClipboardSnapshot::Take(HWND opener, std::size_t mostBytes, DWORD renderMilliseconds) {
    auto* job = new (std::nothrow) SnapshotJob(opener, mostBytes);
    if (!job) return Failed(SnapshotOutcome::TooLarge);
    HANDLE thread = CreateThread(nullptr, 0, &ReadOnItsOwnThread, job, 0, nullptr);
    if (!thread) {
        delete job;
        return Failed(SnapshotOutcome::Busy);
    }
    WaitForReader(thread, renderMilliseconds);
    CloseHandle(thread);
    // The reader still waits for an owner: it closes the clipboard once the owner answers.
    if (InterlockedExchange(&job->state, SnapshotJob::kGivenUp) == SnapshotJob::kReading)
        return Failed(SnapshotOutcome::NotRendered);
    ClipboardSnapshot taken = std::move(job->snapshot);
    delete job;
    return taken;
}

bool ClipboardSnapshot::PutOnOpenClipboard() const {
    bool allPut = true;
    for (const SavedFormat& saved : formats)
        allPut = PutFormatOnOpenClipboard(saved) && allPut;
    return allPut;
}

bool ClipboardSnapshot::PutFormatOnOpenClipboard(const SavedFormat& saved) {
    return saved.enhancedMetafile ? PutEnhancedMetafile(saved.bytes)
                                  : PutOpenClipboardBytes(saved.format, saved.bytes.data(), saved.bytes.size());
}

std::size_t ClipboardSnapshot::Bytes() const {
    std::size_t bytes = 0;
    for (const SavedFormat& saved : formats)
        bytes += saved.bytes.size();
    return bytes;
}

} // namespace runtime
