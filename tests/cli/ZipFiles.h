// Zip archives written for tests with libzip, with any entry names, and a
// way to make one state sizes that its data does not have.
#pragma once

#include "TestSupport.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tessel::test {

struct ZipItem {
    std::string Name;
    std::vector<uint8_t> Bytes;
    bool Stored = false;  // else deflated
};

inline void WriteZip(const std::string& path, const std::vector<ZipItem>& items)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr) << "libzip error " << error;
    for (const ZipItem& item : items) {
        // libzip reads the buffer when the archive is closed; items outlives that.
        zip_source_t* source = zip_source_buffer(archive, item.Bytes.data(), item.Bytes.size(), 0);
        ASSERT_NE(source, nullptr);
        const zip_int64_t index = zip_file_add(archive, item.Name.c_str(), source, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << item.Name << ": " << zip_strerror(archive);
        if (item.Stored)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

// Sets the uncompressed size that the local and central headers state for
// every entry, leaving the data as it is.
inline void SetStatedSize(const std::string& path, uint32_t size)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    const auto patch = [&](const std::vector<uint8_t>& signature, std::size_t offset) {
        for (auto at = std::search(bytes.begin(), bytes.end(), signature.begin(), signature.end()); at != bytes.end();
             at = std::search(at + 1, bytes.end(), signature.begin(), signature.end()))
            for (int k = 0; k < 4; ++k)
                *(at + static_cast<std::ptrdiff_t>(offset) + k) = static_cast<uint8_t>(size >> (8 * k));
    };
    patch({'P', 'K', 3, 4}, 22);
    patch({'P', 'K', 1, 2}, 24);
    WriteFileBytes(path, bytes);
}

}  // namespace tessel::test
