// LZCopy: expansion through libmspack's SZDD decompressor, plain copies through the kernel.
#include "kernel/FilesHandles.h"
#include "LzFiles.h"

#include <kernel/Interrupt.h>
#include <kernel/MachineState.h>

#include <mspack.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using host::detail::LzFile;

// Large buffers keep the number of system calls small: the decompressor itself asks for a
// few kilobytes at a time.
constexpr size_t kBufferSize = 1 << 20;
// A plain copy goes in chunks small enough for a signal to be seen between two of them.
constexpr size_t kPlainChunk = 1 << 26;

// The buffers of finished copies, kept for the next ones: taking a megabyte from the system and
// giving it back for every file costs more, in faulted and cleared pages, than the copy of a
// small file itself.
class BufferPool {
  public:
    static BufferPool& Shared() {
        static BufferPool* pool = new BufferPool; // used until the program's last copy
        return *pool;
    }

    std::unique_ptr<char[]> Take() {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (!m_spare.empty()) {
                std::unique_ptr<char[]> buffer = std::move(m_spare.back());
                m_spare.pop_back();
                return buffer;
            }
        }
        return std::unique_ptr<char[]>(new (std::nothrow) char[kBufferSize]);
    }

    void Give(std::unique_ptr<char[]> buffer) {
        std::lock_guard<std::mutex> guard(m_lock);
        if (buffer && m_spare.size() < kMaxSpare)
            m_spare.push_back(std::move(buffer));
    }

  private:
    static constexpr size_t kMaxSpare = 4; // a copy's input and output, on two threads
    std::mutex m_lock;
    std::vector<std::unique_ptr<char[]>> m_spare;
};

// A buffer of kBufferSize bytes from the pool, given back when done with; null when memory
// ran out.
class PooledBuffer {
  public:
    PooledBuffer() : m_buffer(BufferPool::Shared().Take()) {}
    ~PooledBuffer() { BufferPool::Shared().Give(std::move(m_buffer)); }
    PooledBuffer(const PooledBuffer&) = delete;
    PooledBuffer& operator=(const PooledBuffer&) = delete;

    char* get() const { return m_buffer.get(); }
    explicit operator bool() const { return m_buffer != nullptr; }

  private:
    std::unique_ptr<char[]> m_buffer;
};

bool IsWriteError(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG || error == EROFS || error == EPIPE;
}

// A buffered stream over a descriptor of an open LZ file, handed to libmspack as its file.
struct Stream {
    int fd = -1;
    bool writing = false;
    PooledBuffer buffer;
    size_t begin = 0;     // reading: next unread byte in the buffer
    size_t end = 0;       // bytes held in the buffer
    off_t nextRead = 0;   // reading: file offset of the byte after the buffer
    uint64_t written = 0; // writing: bytes kept
    uint64_t limit = 0;   // writing: the most bytes kept
    uint64_t decoded = 0; // writing: bytes the data decoded to
    bool overrun = false; // writing: the data decodes to more than the header's length
    int error = 0;        // the first errno met

    bool Flush() {
        size_t done = 0;
        while (done < end) {
            ssize_t n = ::write(fd, buffer.get() + done, end - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (!error)
                    error = n < 0 ? errno : ENOSPC;
                end = 0;
                return false;
            }
            done += static_cast<size_t>(n);
        }
        end = 0;
        return true;
    }

    bool Fill() {
        // A signal that asked the run to end abandons the copy between two blocks: the copy
        // fails, so that its caller removes what it wrote rather than put it in place.
        if (host::PendingInterrupt()) {
            if (!error)
                error = EINTR;
            return false;
        }
        for (;;) {
            ssize_t n = pread(fd, buffer.get(), kBufferSize, nextRead);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                if (!error)
                    error = errno;
                return false;
            }
            begin = 0;
            end = static_cast<size_t>(n);
            nextRead += n;
            return true;
        }
    }
};

// The mspack_system whose file names are the LzFile objects of the copy.
struct CopySystem {
    mspack_system base;
    LzFile* source = nullptr;
    LzFile* destination = nullptr;
    Stream* output = nullptr;
    std::vector<std::unique_ptr<Stream>> streams;
};

Stream* AsStream(mspack_file* file) {
    return reinterpret_cast<Stream*>(file);
}

mspack_file* OpenStream(mspack_system* self, const char* name, int mode) {
    auto* system = reinterpret_cast<CopySystem*>(self);
    const auto* file = reinterpret_cast<const LzFile*>(name);
    std::unique_ptr<Stream> stream(new (std::nothrow) Stream);
    if (!stream || !stream->buffer)
        return nullptr;
    if (mode == MSPACK_SYS_OPEN_READ && file == system->source) {
        stream->fd = system->source->fd;
    } else if (mode == MSPACK_SYS_OPEN_WRITE && file == system->destination) {
        stream->fd = system->destination->fd;
        stream->writing = true;
        stream->limit = system->source->header.expandedLength;
        system->output = stream.get();
    } else {
        return nullptr;
    }
    system->streams.push_back(std::move(stream));
    return reinterpret_cast<mspack_file*>(system->streams.back().get());
}

void CloseStream(mspack_file* file) {
    Stream* stream = AsStream(file);
    if (!stream)
        return;
    // The result of the last flush is read back from the copy's record of the output.
    if (stream->writing)
        stream->Flush();
    stream->fd = -1;
}

int ReadStream(mspack_file* file, void* buffer, int bytes) {
    Stream* stream = AsStream(file);
    if (!stream || stream->writing || bytes < 0)
        return -1;
    auto* out = static_cast<char*>(buffer);
    size_t wanted = static_cast<size_t>(bytes);
    size_t got = 0;
    while (got < wanted) {
        if (stream->begin == stream->end) {
            if (!stream->Fill())
                return -1;
            if (stream->end == 0)
                break;
        }
        size_t take = stream->end - stream->begin;
        if (take > wanted - got)
            take = wanted - got;
        std::memcpy(out + got, stream->buffer.get() + stream->begin, take);
        stream->begin += take;
        got += take;
    }
    return static_cast<int>(got);
}

// Keeps what the decompressor wrote, up to the header's length. Out of line, so that the
// byte-at-a-time path of WriteStream stays a leaf that saves no registers.
[[gnu::noinline]] int KeepWritten(Stream* stream, const char* in, int bytes) {
    // The compressor in common use pads an empty file with one stray literal, which is
    // dropped. Anything else past the length of the header means that the header or the data
    // is damaged: the copy fails rather than install a file cut to the header's length.
    stream->decoded += static_cast<uint64_t>(bytes);
    if (stream->decoded > stream->limit && (stream->limit != 0 || stream->decoded > 1)) {
        stream->overrun = true;
        return -1;
    }
    uint64_t room = stream->limit - stream->written;
    size_t left = static_cast<size_t>(bytes) < room ? static_cast<size_t>(bytes) : room;
    stream->written += left;
    while (left > 0) {
        if (stream->end == kBufferSize && !stream->Flush())
            return -1;
        size_t take = kBufferSize - stream->end;
        if (take > left)
            take = left;
        std::memcpy(stream->buffer.get() + stream->end, in, take);
        stream->end += take;
        in += take;
        left -= take;
    }
    return bytes;
}

int WriteStream(mspack_file* file, void* buffer, int bytes) {
    Stream* stream = AsStream(file);
    if (!stream || !stream->writing || bytes < 0)
        return -1;
    const auto* in = static_cast<const char*>(buffer);
    // The decompressor hands its output over a byte at a time: a byte within the header's
    // length (so that none was dropped, and decoded equals written) with room in the buffer
    // is simply kept.
    if (bytes == 1 && stream->written < stream->limit && stream->end < kBufferSize) {
        stream->buffer.get()[stream->end++] = *in;
        ++stream->written;
        ++stream->decoded;
        return 1;
    }
    return KeepWritten(stream, in, bytes);
}

off_t TellStream(mspack_file* file) {
    Stream* stream = AsStream(file);
    if (!stream)
        return -1;
    if (stream->writing)
        return static_cast<off_t>(stream->written);
    return stream->nextRead - static_cast<off_t>(stream->end - stream->begin);
}

int SeekStream(mspack_file* file, off_t offset, int mode) {
    Stream* stream = AsStream(file);
    if (!stream || stream->writing)
        return -1;
    off_t base = 0;
    if (mode == MSPACK_SYS_SEEK_CUR) {
        base = TellStream(file);
    } else if (mode == MSPACK_SYS_SEEK_END) {
        struct stat status;
        if (fstat(stream->fd, &status) != 0)
            return -1;
        base = status.st_size;
    } else if (mode != MSPACK_SYS_SEEK_START) {
        return -1;
    }
    off_t target = base + offset;
    if (target < 0)
        return -1;
    stream->nextRead = target;
    stream->begin = stream->end = 0;
    return 0;
}

void Message(mspack_file*, const char*, ...) {}

void* Allocate(mspack_system*, size_t bytes) {
    return std::malloc(bytes);
}

void Free(void* memory) {
    std::free(memory);
}

void CopyBytes(void* source, void* destination, size_t bytes) {
    std::memmove(destination, source, bytes);
}

// LONG is 32 bits wide, as on Windows, whatever the host's long is: a copy of 2 GiB or more
// reports the largest count rather than a negative one that reads as an error.
LONG Clamp(uint64_t bytes) {
    constexpr LONG kLargest = std::numeric_limits<LONG>::max();
    return bytes > static_cast<uint64_t>(kLargest) ? kLargest : static_cast<LONG>(bytes);
}

LONG Expand(LzFile& source, LzFile& destination) {
    CopySystem system;
    std::memset(&system.base, 0, sizeof system.base);
    system.base.open = OpenStream;
    system.base.close = CloseStream;
    system.base.read = ReadStream;
    system.base.write = WriteStream;
    system.base.seek = SeekStream;
    system.base.tell = TellStream;
    system.base.message = Message;
    system.base.alloc = Allocate;
    system.base.free = Free;
    system.base.copy = CopyBytes;
    system.source = &source;
    system.destination = &destination;

    msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(&system.base);
    if (!decompressor)
        return LZERROR_GLOBALLOC;
    int status = decompressor->decompress(decompressor, reinterpret_cast<const char*>(&source),
                                          reinterpret_cast<const char*>(&destination));
    mspack_destroy_szdd_decompressor(decompressor);

    // The streams outlive the decompressor's close so that their errors can be read here.
    Stream* output = system.output;
    if (status == MSPACK_ERR_NOMEMORY)
        return LZERROR_GLOBALLOC;
    if (output && output->overrun)
        return LZERROR_READ;
    if (output && output->error)
        return LZERROR_WRITE;
    if (status == MSPACK_ERR_WRITE)
        return LZERROR_WRITE;
    if (status != MSPACK_ERR_OK || !output)
        return LZERROR_READ;
    // The decompressor stops quietly at the end of its input; a file cut short or damaged
    // shows in a length short of the one its header promises.
    if (output->written < source.header.expandedLength)
        return LZERROR_READ;
    return Clamp(output->written);
}

// Copies the rest of the source from offset with plain reads and writes.
LONG CopyByReading(int in, off_t offset, int out, uint64_t total) {
    PooledBuffer buffer;
    if (!buffer)
        return LZERROR_GLOBALLOC;
    for (;;) {
        if (host::PendingInterrupt())
            return LZERROR_READ;
        ssize_t got = pread(in, buffer.get(), kBufferSize, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return LZERROR_READ;
        if (got == 0)
            return Clamp(total);
        offset += got;
        ssize_t done = 0;
        while (done < got) {
            ssize_t n = ::write(out, buffer.get() + done, static_cast<size_t>(got - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return LZERROR_WRITE;
            done += n;
        }
        total += static_cast<uint64_t>(got);
    }
}

// The kernel copies without the data passing through this process (and may share the
// blocks on file systems that can).
LONG CopyPlain(int in, int out) {
    off_t offset = 0;
    uint64_t total = 0;
    bool rangeCopy = true;
    for (;;) {
        if (host::PendingInterrupt())
            return LZERROR_READ;
        ssize_t n = rangeCopy ? copy_file_range(in, &offset, out, nullptr, kPlainChunk, 0)
                              : sendfile(out, in, &offset, kPlainChunk);
        if (n > 0) {
            total += static_cast<uint64_t>(n);
            continue;
        }
        if (n == 0)
            return Clamp(total);
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
            if (rangeCopy) {
                rangeCopy = false;
                continue;
            }
            return CopyByReading(in, offset, out, total);
        }
        return IsWriteError(errno) ? LZERROR_WRITE : LZERROR_READ;
    }
}

} // namespace

LONG WINAPI LZCopy(INT source, INT destination) {
    std::shared_ptr<LzFile> in = host::detail::LzFileOf(source);
    if (!in || in->forWriting)
        return LZERROR_BADINHANDLE;
    // The destination is an LZ handle opened for writing or, as on the system, a file handle
    // open for writing.
    std::shared_ptr<LzFile> out = host::detail::LzFileOf(destination);
    std::shared_ptr<host::detail::FileObject> plain;
    if (!out) {
        plain = host::detail::LookUp<host::detail::FileObject>(
            reinterpret_cast<HANDLE>(static_cast<intptr_t>(destination)));
        if (!plain || !plain->canWrite || plain->fd < 0)
            return LZERROR_BADOUTHANDLE;
        out = std::make_shared<LzFile>();
        out->forWriting = true;
        out->fd = plain->fd;
    }
    if (!out->forWriting)
        return LZERROR_BADOUTHANDLE;
    struct stat sourceStatus;
    bool statusRead = fstat(in->fd, &sourceStatus) == 0;
    uint64_t bytes = in->header.compressed ? in->header.expandedLength
                     : statusRead          ? static_cast<uint64_t>(sourceStatus.st_size)
                                           : 0;
    host::detail::NoteLongOperation(bytes);
    LONG result = in->header.compressed ? Expand(*in, *out) : CopyPlain(in->fd, out->fd);
    if (result >= 0 && statusRead) {
        // The copy bears the source's modification time, as the system's LZCopy does, so that
        // an installed file keeps the date it was released with.
        timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1] = sourceStatus.st_mtim;
        futimens(out->fd, times);
    }
    return result;
}
