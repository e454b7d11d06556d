#pragma once

#include <memory>
#include <streambuf>

namespace Vantorn {

// A stream buffer that takes CP932 text and hands it on to another buffer as UTF-8,
// converting as it goes, so that a long report needs no second copy. A lead byte at
// the end of one write waits for its trail byte; one left at the end becomes U+FFFD.
class Utf8FromCp932Buffer : public std::streambuf {
public:
    explicit Utf8FromCp932Buffer(std::streambuf& target);
    ~Utf8FromCp932Buffer() override;

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Converts what the buffer holds, but for a last lead byte; false when the target
    // refused the text.
    bool convert();

    std::streambuf& target_;
    std::unique_ptr<char[]> buffer_;
    std::unique_ptr<char[]> converted_;
};

}  // namespace Vantorn
