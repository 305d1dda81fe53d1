#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonvara::id3 {

using Bytes = std::vector<std::uint8_t>;

// One frame of an ID3 version 2.3 or 2.4 tag as it is stored: its 10-byte header and its data,
// never re-encoded.
struct RawFrame {
    std::string id;
    Bytes bytes;
};

// An ID3 version 2.3 or 2.4 tag taken apart into its frames.
struct RawTag {
    int major = 4;
    std::uint8_t flags = 0;        // the header flags it is written back with
    std::vector<RawFrame> frames;  // in their order in the tag
    Bytes rest;                    // bytes after the last frame that are neither a frame nor
                                   // padding, kept after the frames
};

// The bytes an ID3 version 2 tag takes at the start of a file (header, frames, padding and
// footer), read from its first 10 bytes; 0 when they are no such header.
std::uint64_t TagSpan(const std::uint8_t* head, std::size_t size);

// Takes a whole tag (TagSpan bytes) apart. The version 2.3 whole-tag unsynchronisation is
// undone (the tag is written back without it); the extended header (its CRC and padding size
// would no longer be true) and a version 2.4 footer are left out. Version 2.2 and a header that
// is not ID3 give nothing.
std::optional<RawTag> ParseTag(const Bytes& tag);

// The tag's bytes with zero padding up to at least `size` bytes in all.
Bytes RenderTag(const RawTag& tag, std::size_t size = 0);

// A text frame ("TIT2", "TPE1", ...) holding one text: UTF-16 with a byte-order mark in
// version 2.3, UTF-8 in version 2.4.
RawFrame TextFrame(int major, const std::string& id, const std::string& utf8);

// Puts the frame in the place of the first frame of its id and removes the others of that id;
// appended when there is none.
void ReplaceFrame(RawTag& tag, RawFrame frame);

// "ID3v1.1" image fields: writes text into the 30-byte field at `at` in Latin-1 (other
// characters as '?'), cut to 30 bytes and padded with zeros.
void PutId3v1Field(std::uint8_t* image, std::size_t at, const std::string& utf8);

// True when every character of the UTF-8 text is in Latin-1.
bool FitsLatin1(const std::string& utf8);

}  // namespace sonvara::id3
