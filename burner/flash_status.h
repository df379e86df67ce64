#pragma once
// Whether the flash has finished its last write or erase, read from its status register through
// the library's entry points on the open slot 0. A busy chip answers every read with 0xFF, so
// nothing read from the flash means anything until it has been seen idle.

// One status read with host access switched on for it and off after it. True only when the
// camera answered the read and the busy bit is clear.
bool FlashSeenIdle();
// The library's flash-idle wait, then the same status read.
bool FlashBecomesIdle();
