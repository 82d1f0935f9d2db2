#include "widgets/PngWriter.h"

#include <cstddef>
#include <cstring>

namespace {

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
  static const auto table = [] {
    struct Table {
      std::uint32_t entry[256];
    } t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t.entry[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table.entry[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBig32(std::vector<unsigned char>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// A deflate stream of one block with the fixed codes (RFC 1951, 3.2.6).
class Deflater {
 public:
  explicit Deflater(std::vector<unsigned char>& out) : m_out(out) {
    Bits(1, 1);  // the last block
    Bits(1, 2);  // fixed codes
  }

  void Literal(unsigned v) {
    if (v < 144) {
      Code(0x30 + v, 8);
    } else {
      Code(0x190 + v - 144, 9);
    }
  }

  // A repeat of `length` (3..258) bytes from `distance` (1..4) back.
  void Repeat(unsigned length, unsigned distance) {
    static const unsigned short base[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const unsigned char extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                          2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    unsigned i = 28;
    while (base[i] > length) --i;
    Symbol(257 + i);
    Bits(length - base[i], extra[i]);
    Code(distance - 1, 5);  // distances 1 to 4 are codes 0 to 3, without extra bits
  }

  void Finish() {
    Symbol(256);
    if (m_count > 0) m_out.push_back(static_cast<unsigned char>(m_bits));
  }

 private:
  void Symbol(unsigned s) {
    if (s < 280) {
      Code(s - 256, 7);
    } else {
      Code(0xC0 + s - 280, 8);
    }
  }
  // Huffman codes go most significant bit first into the stream's least-significant-first bits.
  void Code(unsigned code, int length) {
    unsigned reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Bits(reversed, length);
  }
  void Bits(unsigned value, int count) {
    m_bits |= value << m_count;
    m_count += count;
    while (m_count >= 8) {
      m_out.push_back(static_cast<unsigned char>(m_bits));
      m_bits >>= 8;
      m_count -= 8;
    }
  }

  std::vector<unsigned char>& m_out;
  unsigned m_bits = 0;
  int m_count = 0;
};

}  // namespace

std::vector<unsigned char> EncodePng(const std::uint32_t* pixels, int width, int height) {
  if (width <= 0 || height <= 0) width = height = 0;
  // Rows filtered "up": each byte less the one above, so a row like the last is all zeros.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3 + 1;
  std::vector<unsigned char> raw(rowBytes * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    unsigned char* row = &raw[rowBytes * y];
    row[0] = 2;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
      const std::uint32_t above = y > 0 ? pixels[static_cast<std::size_t>(y - 1) * width + x] : 0;
      for (int c = 0; c < 3; ++c) {
        const int shift = 16 - 8 * c;  // red, green, blue
        row[1 + 3 * x + c] = static_cast<unsigned char>((p >> shift) - (above >> shift));
      }
    }
  }

  std::vector<unsigned char> z = {0x78, 0x01};  // deflate, 32 KiB window, no dictionary
  Deflater deflater(z);
  for (std::size_t i = 0; i < raw.size();) {
    unsigned bestLength = 0, bestDistance = 0;
    for (const unsigned distance : {1u, 3u}) {  // the byte before, the pixel before
      if (i < distance) continue;
      unsigned length = 0;
      while (length < 258 && i + length < raw.size() && raw[i + length] == raw[i + length - distance]) ++length;
      if (length > bestLength) bestLength = length, bestDistance = distance;
    }
    if (bestLength >= 3) {
      deflater.Repeat(bestLength, bestDistance);
      i += bestLength;
    } else {
      deflater.Literal(raw[i++]);
    }
  }
  deflater.Finish();
  std::uint32_t a = 1, b = 0;  // Adler-32 of the raw bytes
  for (const unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(z, (b << 16) | a);

  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  PutBig32(header, static_cast<std::uint32_t>(width));
  PutBig32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", {});
  return png;
}
