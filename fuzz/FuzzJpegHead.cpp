// libFuzzer target: picture data from the fuzzer, through ReadJpegHead and
// WithSegment. Whatever the bytes, nothing crashes, the head is the start of
// the data (read no further than the data goes), the Exif segment goes where
// a JPEG picture can take it, and every byte of the picture is kept around it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "JpegHead.h"

namespace {

using namespace ostrel;

void Require(bool invariant) {
    if (!invariant) {
        std::abort();
    }
}

// The picture data in memory, handed out in reads of at most `step` bytes, as
// a file may be.
class MemoryInput final : public InputFile {
public:
    MemoryInput(std::span<const std::uint8_t> bytes, std::size_t step)
        : bytes_(bytes), step_(step) {}
    FileIdentity Identity() override { return {0, 0, bytes_.size(), 0}; }
    std::size_t Read(std::span<std::uint8_t> buffer) override {
        const std::size_t n = std::min({buffer.size(), bytes_.size() - at_, step_});
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), n, buffer.begin());
        at_ += n;
        return n;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t step_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte says how the reads come; the rest is the picture data.
    const std::span<const std::uint8_t> picture(data + 1, size - 1);
    MemoryInput in(picture, 1 + data[0] % 64);
    const JpegHead head = ReadJpegHead(in, picture.size());

    Require(head.Bytes.size() <= picture.size());
    Require(std::equal(head.Bytes.begin(), head.Bytes.end(), picture.begin()));
    Require(head.ExifAt <= head.Bytes.size());
    if (head.ExifAt != 0) {
        Require(picture[0] == 0xFF && picture[1] == 0xD8 && head.ExifAt >= 2);
    }

    static constexpr std::uint8_t Segment[] = {0xFF, 0xE1, 0x00, 0x04, 'E', 'x'};
    Require(WithSegment(head, {}) == head.Bytes);
    const std::vector<std::uint8_t> placed = WithSegment(head, Segment);
    Require(placed.size() == head.Bytes.size() + sizeof Segment);
    const auto at = static_cast<std::ptrdiff_t>(head.ExifAt);
    Require(std::equal(placed.begin(), placed.begin() + at, head.Bytes.begin()));
    Require(std::equal(std::begin(Segment), std::end(Segment), placed.begin() + at));
    Require(std::equal(placed.begin() + at + static_cast<std::ptrdiff_t>(sizeof Segment),
                       placed.end(), head.Bytes.begin() + at));
    return 0;
}
