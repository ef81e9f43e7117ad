#pragma once

// Names for the places a recorded write lands on the test's disk: its MBR
// partitions, and inside a FAT one the reserved sectors, each FAT copy,
// the root folder and the data clusters. They make the crash reports
// readable: "stick FAT2 sector 3" rather than a byte offset.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro::crash {

struct FatLayout {
    std::uint64_t reservedSectors = 0;
    std::uint64_t fatCount = 0;
    std::uint64_t sectorsPerFat = 0;
    std::uint64_t rootSectors = 0;  // FAT12 and FAT16 only
    std::uint64_t sectorsPerCluster = 0;
    std::uint64_t sectorSize = 0;
};

struct Partition {
    std::string name;
    std::uint64_t offset = 0;  // bytes
    std::uint64_t length = 0;
    bool fat = false;
    FatLayout layout;
};

// The partitions of an MBR (its first sector), named in order; a FAT
// boot sector is read from `firstSectors`, the first sector of each
// partition in the same order. A partition whose boot sector is not FAT's
// is described by its 4 KiB blocks.
std::vector<Partition> ReadPartitions(std::string_view mbr, const std::vector<std::string>& names,
                                      const std::vector<std::string>& firstSectors);

// Byte offset of each of the MBR's partitions, in table order.
std::vector<std::uint64_t> PartitionOffsets(std::string_view mbr);

// "stick FAT1 sectors 2-3", "stick clusters 120-239", "program blocks
// 30-31", "disk sectors 0-0" outside every partition.
std::string DescribeWrite(const std::vector<Partition>& partitions, std::uint64_t offset, std::uint64_t length);

}  // namespace tamsiro::crash
