#pragma once

#include <cstddef>

namespace sonvara {

// Runs walk(context) so that a bus error raised on this thread by reading the bytes
// [begin, begin + size) ends the walk instead of the process, and returns false when it did.
// That is what reading a mapped file raises when another program cuts the file short after it
// was mapped (or when the disk fails to deliver a page). Any other bus error goes to the
// handler that was there before.
//
// The walk is left by siglongjmp: whatever it has on the stack when it reads the guarded bytes
// is dropped without destructors. So the walk and the functions it is inside of at that moment
// may hold only trivially destructible objects; containers, strings and the reader itself
// belong to the caller. An exception thrown by the walk passes through unchanged. Guards nest.
bool RunReadGuarded(const void* begin, std::size_t size, void (*walk)(void*), void* context);

template <class Walk>
bool RunReadGuarded(const void* begin, std::size_t size, Walk& walk) {
    return RunReadGuarded(
        begin, size, [](void* w) { (*static_cast<Walk*>(w))(); }, &walk);
}

}  // namespace sonvara
