#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// Password protection of Paradox tables.
//
// A protected table stores a 32-bit checksum of its master password in the
// header (at 0x5C from version 4.0 on, at 0x25 before); 0 there means the
// table is not protected. The header itself is never scrambled, so the field
// list can be read without any password.
//
// Everything behind the header is scrambled in 256-byte pieces. Each piece is
// shuffled by a fixed byte permutation and mixed (XOR) with bytes taken from
// three fixed 256-byte tables. Which bytes, and how the permutation is
// turned, depends on four key bytes:
//   .DB data blocks: the checksum's two low bytes, the piece's index inside
//                    its block, and the low byte of the block's number
//                    (the first block after the header is number 1);
//   .MB files:       the checksum's two low bytes and each of them plus one,
//                    for every piece of the file from offset 0 on.
// The key comes from the stored checksum alone: the password only proves
// that the user may read the table (the session compares checksums).

// The checksum a table header stores for `password`; 0 for an empty one and
// never 0 otherwise. The password is taken as Latin-1 bytes (passwords of
// more than 256 bytes count by their first 256).
quint32 paradoxPasswordChecksum(const QString& password);

// Scrambles and unscrambles the blocks of one protected table.
class ParadoxCipher
{
public:
    static constexpr int PieceSize = 256;

    explicit ParadoxCipher(quint32 checksum);

    quint32 checksum() const { return m_checksum; }

    // A data block of the .DB file, in place. `size` is the table's block
    // size (a multiple of 256, at most 32 KiB); `blockNumber` counts from 1.
    void decryptDataBlock(char* block, int size, int blockNumber) const;
    void encryptDataBlock(char* block, int size, int blockNumber) const;

    // Bytes of the .MB file, in place; `data` must start at a file offset
    // that is a multiple of 256 and `size` be a multiple of 256.
    void decryptMemo(char* data, qsizetype size) const;
    void encryptMemo(char* data, qsizetype size) const;

    static constexpr int MaxPiecesPerBlock = 32 * 1024 / PieceSize;

private:
    template <bool Encrypt> void dataBlock(char* block, int size, int blockNumber) const;
    template <bool Encrypt> void memo(char* data, qsizetype size) const;

    quint32 m_checksum;
    // Worked out once per table: the part of each piece's mask that depends
    // on the byte's place only, and per piece index the part that depends on
    // the shuffled place.
    std::array<quint8, 256> m_placeMask{};
    std::array<std::array<quint8, 256>, MaxPiecesPerBlock> m_pieceMask{};
    // The .MB key never changes within a table: its whole shuffle and mask.
    std::array<quint8, 256> m_memoSource{};
    std::array<quint8, 256> m_memoMask{};
};
