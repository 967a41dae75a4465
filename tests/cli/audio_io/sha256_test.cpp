// SHA-256 against the test vectors of FIPS 180-4 (and its usual long
// message), fed whole and in uneven pieces.
#include <gtest/gtest.h>

#include <string>

#include "audio_io/sha256.h"

namespace {

std::string digestInPieces(const std::string& message, std::size_t piece) {
    sarnovellite::cli::Sha256 hash;
    for (std::size_t at = 0; at < message.size(); at += piece)
        hash.update(message.data() + at, std::min(piece, message.size() - at));
    return hash.hexDigest();
}

TEST(Sha256, KnownVectorsWholeAndInPieces) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmno"
         "pqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [message, digest] : vectors) {
        for (std::size_t piece :
             {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{1000}, message.size() + 1})
            EXPECT_EQ(digestInPieces(message, piece == 0 ? 1 : piece), digest)
                << message.size() << " / " << piece;
    }
}

}  // namespace
