#pragma once
// The shared control block: 12288 bytes of per-user shared memory holding one KernelSlot per
// kernel ID. Whichever process comes first creates it; the others open it.
#include "kernel/kernel_slot.h"

#include <QString>

namespace korvane {

// "VCRServer", unless the environment variable KORVANE_CONTROL_BLOCK names another block
// (tests use that to run beside a real viewer). Kernels inherit it from the viewer.
QString ControlBlockName();

// Creates or opens the block and keeps its handle process-wide; true when a handle was obtained.
// `create`: the viewer makes the block; a kernel only opens the one its viewer made.
bool OpenControlBlock(const QString& name, bool create = true);
// Maps a new view of the whole block and returns slot `id` in it; nullptr when there is no
// handle, the view cannot be mapped or the ID lies outside the block (0 to kMaxKernelId fit).
KernelSlot* MapSlot(int id);
// Closes the handle; views stay mapped until the process ends.
void CloseControlBlock();

// The viewer's start-up step: opens the block and maps slots 0 and 1, reporting failures with
// "ERROR 0x6006", "ERROR 0x6004" and "ERROR 0x6005". Returns false after the first failure.
// A block under the name that belongs to another user (or cannot be opened) is never used: the
// viewer makes a fresh block under a name of its own and puts that name into
// KORVANE_CONTROL_BLOCK, which its kernels inherit.
bool OpenViewerSlots(KernelSlot*& slotA, KernelSlot*& slotB);

// The viewer's shut-down step: removes the block, but only when this viewer opened it with
// OpenViewerSlots (a second instance that ends before that removes nothing).
void UnlinkViewerControlBlock();

} // namespace korvane
