#pragma once
// POSIX shared memory for the viewer/kernel control block. A block is named per user
// ("/<name>.<uid>"), created zero-filled with mode 0600 when it does not exist yet.
#include <cstddef>
#include <string>

namespace korvane::platform {

// The POSIX object name for a block name: "/<name>.<uid>".
std::string SharedMemoryObjectName(const std::string& name);

// Opens (or, with `create`, creates, then sizes to `size`) the block; returns a descriptor or -1.
// A block of another user is refused; one of this user whose mode is not 0600 is unlinked and
// made anew when creating, refused otherwise.
int OpenSharedMemory(const std::string& name, std::size_t size, bool create = true);

// Creates the object for `name` only when it does not exist yet (mode 0600, `size` zero bytes);
// -1 when it exists or cannot be made.
int CreateFreshSharedMemory(const std::string& name, std::size_t size);
// Maps `size` bytes of the block read-write; returns nullptr on failure. Each call is a new view.
void* MapSharedMemory(int fd, std::size_t size);

void CloseSharedMemory(int fd);

// Removes the name (existing views stay valid). Used by tests to leave nothing behind.
void RemoveSharedMemory(const std::string& name);

} // namespace korvane::platform
