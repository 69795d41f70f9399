// What the file classes do without the system: the input file's read-ahead,
// the replacing output file's write buffer, and how the file written in
// place keeps an exit on a signal from leaving part of an image.
#include "system/FileLayer.h"

#include "system/FaultInjection.h"
#include "system/TemporaryFiles.h"

#include <algorithm>
#include <cstring>

namespace tessel {

InputFile::InputFile(std::string name, std::vector<unsigned char> bytes)
    : path_(std::move(name)), inMemory_(true), memory_(std::move(bytes))
{
}

int64_t InputFile::Size() const
{
    if (!IsOpen())
        throw EInOutError(io_error::FileNotOpen);
    if (inMemory_)
        return static_cast<int64_t>(memory_.size());
    return SizeFromSystem();
}

void InputFile::Close()
{
    if (!IsOpen())
        throw EInOutError(io_error::FileNotOpen);
    if (inMemory_) {
        inMemory_ = false;
        std::vector<unsigned char>().swap(memory_);
        return;
    }
    CloseOnSystem();
}

void InputFile::Seek(int64_t position)
{
    if (!IsOpen())
        throw EInOutError(io_error::FileNotOpen);
    if (position < 0)
        throw EInOutError(io_error::NegativeSeek);
    position_ = position;
}

std::size_t InputFile::ReadUpTo(void* buffer, std::size_t count)
{
    if (!IsOpen())
        throw EInOutError(io_error::FileNotOpen);
    auto* out = static_cast<unsigned char*>(buffer);
    if (inMemory_) {
        const auto size = static_cast<int64_t>(memory_.size());
        const std::size_t piece =
            position_ >= size ? 0 : std::min(count, static_cast<std::size_t>(size - position_));
        if (piece != 0)
            std::memcpy(out, memory_.data() + position_, piece);
        position_ += static_cast<int64_t>(piece);
        return piece;
    }
    std::size_t done = 0;
    while (done < count) {
        const int64_t readAheadEnd = readAheadStart_ + static_cast<int64_t>(readAheadLength_);
        if (position_ >= readAheadStart_ && position_ < readAheadEnd) {
            const std::size_t piece = std::min(count - done, static_cast<std::size_t>(readAheadEnd - position_));
            std::memcpy(out + done, readAhead_.get() + (position_ - readAheadStart_), piece);
            done += piece;
            position_ += static_cast<int64_t>(piece);
            continue;
        }
        if (count - done >= ReadAheadSize) {
            const std::size_t got = ReadFromSystem(out + done, count - done, position_);
            done += got;
            position_ += static_cast<int64_t>(got);
            break;
        }
        if (!readAhead_)
            readAhead_ = std::make_unique_for_overwrite<unsigned char[]>(ReadAheadSize);  // filled by the read below
        readAheadLength_ = 0;  // forget the old block before a read that may fail
        readAheadStart_ = position_;
        readAheadLength_ = ReadFromSystem(readAhead_.get(), ReadAheadSize, position_);
        if (readAheadLength_ == 0)
            break;
    }
    return done;
}

void InputFile::ReadExact(void* buffer, std::size_t count)
{
    if (ReadUpTo(buffer, count) != count)
        throw EInOutError(io_error::ReadBeyondEnd);
}

void ReplacingOutputFile::Write(const void* buffer, std::size_t count)
{
    if (file_ == NoFile)
        throw EInOutError(io_error::FileNotOpen);
    const std::size_t allowed = fault_injection::WritableBytes(count);
    const auto* in = static_cast<const unsigned char*>(buffer);
    if (buffer_.size() + allowed > BufferSize)
        Flush();
    if (allowed >= BufferSize) {
        WriteToSystem(in, allowed);
    } else {
        // The whole buffer at once: growing it step by step would copy the
        // bytes already taken again at every step.
        if (buffer_.capacity() < BufferSize)
            buffer_.reserve(BufferSize);
        buffer_.insert(buffer_.end(), in, in + allowed);
    }
    position_ += static_cast<int64_t>(allowed);
    if (allowed != count)
        throw EInOutError(io_error::DiskFull);
}

void ReplacingOutputFile::Flush()
{
    if (file_ == NoFile)
        throw EInOutError(io_error::FileNotOpen);
    if (buffer_.empty())
        return;
    // The bytes leave the buffer either way: a file whose flush failed is
    // never committed.
    struct ClearOnExit {
        std::vector<unsigned char>& bytes;
        ~ClearOnExit() { bytes.clear(); }
    } clear{buffer_};
    WriteToSystem(buffer_.data(), buffer_.size());
}

InPlaceOutputFile::~InPlaceOutputFile() { Discard(); }

void InPlaceOutputFile::Discard() noexcept
{
    if (file_ == NoFile)
        return;
    {
        TemporaryFilesLock lock;
        if (lock.ForgetWrittenInPlace(file_))  // else never written, or already emptied for the exit
            EmptyFileQuietly(file_);
    }
    CloseQuietlyOnSystem();
    file_ = NoFile;
}

void InPlaceOutputFile::Write(const void* buffer, std::size_t count)
{
    if (file_ == NoFile)
        throw EInOutError(io_error::FileNotOpen);
    const std::size_t allowed = fault_injection::WritableBytes(count);
    const auto* in = static_cast<const unsigned char*>(buffer);
    for (std::size_t done = 0; done < allowed;) {
        {
            // Under the lock, so that no byte lands after an exit has emptied the file.
            TemporaryFilesLock lock;
            lock.RaiseIfClosed();
            lock.AddWrittenInPlace(file_);
            const std::size_t put = WriteOnSystem(in + done, std::min(allowed - done, WritePiece));
            if (put == 0)
                throw EInOutError(io_error::DiskFull);
            done += put;
            position_ += static_cast<int64_t>(put);
        }
        fault_injection::AfterWrite();
    }
    if (allowed != count)
        throw EInOutError(io_error::DiskFull);
}

void InPlaceOutputFile::Commit()
{
    if (file_ == NoFile)
        throw EInOutError(io_error::FileNotOpen);
    {
        TemporaryFilesLock lock;
        if (lock.Closed()) {
            lock.Release();
            Discard();
            RaiseInterrupted();
        }
        try {
            CutOnSystem();
        } catch (...) {
            lock.Release();
            Discard();
            throw;
        }
        lock.ForgetWrittenInPlace(file_);
        lock.CountCommitted();
    }
    CloseCommittedOnSystem();
}

}  // namespace tessel
