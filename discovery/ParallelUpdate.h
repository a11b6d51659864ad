// Updates drives on several threads at once (tarvel --jobs): the next free
// thread takes the next drive of the list, each drive is updated on one
// thread, and the caller's hooks run on the calling thread in list order,
// so that what the caller prints does not depend on which drive ends first.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "engine/KRSMARTDrive.h"

namespace discovery {

// `before(i)` runs before the caller waits for drive i, `after(i)` once it
// is updated. Remembered values end as an update in list order leaves them.
void updateInParallel(const std::vector<KRSMARTDrive*>& drives, size_t jobs, const std::function<void(size_t)>& before,
                      const std::function<void(size_t)>& after);

}  // namespace discovery
