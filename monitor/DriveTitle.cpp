#include "monitor/DriveTitle.h"

#include "platform/Format.h"

namespace monitor {

std::string driveTitle(const KRSMARTDrive& drive) {
  const uint64_t count = drive.drivePartitionCount();
  if (count == 1) return drive.partitionNameAtIndex(0);
  std::string title = platform::format("%@ with partitions ", drive.driveLocationID());
  for (uint64_t i = 0; i < count; ++i) {
    title += drive.partitionNameAtIndex(i);
    if (i + 2 < count) title += ", ";
    else if (i + 2 == count) title += ", and ";
  }
  return title;
}

}  // namespace monitor
