// The compact list of recovered samples.
#include "mp4repair/sample_list.h"

namespace korvane::repair {

bool SampleList::Add(uint64_t offset, uint32_t size, bool key) {
  if (size == 0 || size > kMostBytes || (!sizes_.empty() && offset < end_)) return false;
  if (sizes_.empty() || offset != end_) runs_.push_back({sizes_.size(), offset});
  sizes_.push_back(size | (key ? ~kMostBytes : 0u));
  end_ = offset + size;
  return true;
}

}  // namespace korvane::repair
