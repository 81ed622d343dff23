// Small but valid image files written byte by byte, for the tests, the demo
// cache and the benchmarks: the platform's decoder must read them as it
// reads what a CDN serves. Plain C++, no Win32.
#include "image_payloads.h"

// --- Byte helpers ---------------------------------------------------------

void PutBE16(std::string &out, uint32_t v) { out += (char)(v >> 8); out += (char)v; }
void PutBE32(std::string &out, uint32_t v) { PutBE16(out, v >> 16); PutBE16(out, v & 0xFFFF); }
void PutLE16(std::string &out, uint32_t v) { out += (char)v; out += (char)(v >> 8); }
void PutLE32(std::string &out, uint32_t v) { PutLE16(out, v & 0xFFFF); PutLE16(out, v >> 16); }

namespace {

uint32_t Crc32(const std::string &bytes, size_t from)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= (uint8_t)bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// --- PNG: RGB, one IDAT of stored (uncompressed) deflate blocks -------------

void PutPngChunk(std::string &out, const char *type, const std::string &data)
{
    PutBE32(out, (uint32_t)data.size());
    size_t start = out.size();
    out += type;
    out += data;
    PutBE32(out, Crc32(out, start));
}

std::string ZlibStored(const std::string &raw)
{
    std::string z = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z += (char)(at + n >= raw.size() ? 1 : 0);  // BFINAL on the last block
        PutLE16(z, (uint32_t)n);
        PutLE16(z, (uint32_t)(~n & 0xFFFF));
        z.append(raw, at, n);
        if (raw.empty())
            break;
    }
    PutBE32(z, (b << 16) | a);
    return z;
}

}  // namespace

std::string MakePngImage(int width, int height, int r0, int g0, int b0)
{
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter type None
        for (int x = 0; x < width; ++x) {
            raw += (char)(r0 + x * 255 / width);
            raw += (char)(g0 + y * 255 / height);
            raw += (char)(b0 ^ ((x / 4 + y / 4) & 1 ? 0x40 : 0));
        }
    }
    std::string ihdr;
    PutBE32(ihdr, (uint32_t)width);
    PutBE32(ihdr, (uint32_t)height);
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    PutPngChunk(png, "IHDR", ihdr);
    PutPngChunk(png, "IDAT", ZlibStored(raw));
    PutPngChunk(png, "IEND", "");
    return png;
}

// --- JPEG: baseline grayscale, flat 8x8 blocks (DC only) --------------------

namespace {

struct BitWriter {
    std::string Out;
    uint32_t Bits = 0;
    int Count = 0;
    void Put(uint32_t code, int length)
    {
        for (int i = length - 1; i >= 0; --i) {
            Bits = (Bits << 1) | ((code >> i) & 1);
            if (++Count == 8) {
                Out += (char)Bits;
                if ((Bits & 0xFF) == 0xFF)
                    Out += '\0';  // byte stuffing
                Bits = 0;
                Count = 0;
            }
        }
    }
    void Flush() { while (Count) Put(1, 1); }
};

// The standard luminance DC table: code lengths per category 0..11.
const uint8_t DcBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

std::string MakeJpegImage(int blocksWide, int blocksHigh, int base)
{
    std::string j = "\xFF\xD8";
    j += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    j += std::string("\xFF\xDB\x00\x43\x00", 5);  // quantisation table 0: all 8
    j += std::string(64, '\x08');
    j += std::string("\xFF\xC0\x00\x0B\x08", 5);
    PutBE16(j, (uint32_t)(blocksHigh * 8));
    PutBE16(j, (uint32_t)(blocksWide * 8));
    j += std::string("\x01\x01\x11\x00", 4);      // one component, 1x1, table 0
    j += std::string("\xFF\xC4\x00\x1F\x00", 5);  // DC table 0
    j += std::string((const char *)DcBits, 16);
    for (int v = 0; v < 12; ++v)
        j += (char)v;
    // AC table 0 holds only end-of-block, coded as the single bit 0.
    j += std::string("\xFF\xC4\x00\x14\x10\x01", 6);
    j += std::string(15, '\0');
    j += '\0';
    j += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);

    // Canonical DC codes from DcBits.
    uint32_t codes[12];
    int lengths[12];
    uint32_t code = 0;
    for (int len = 1, sym = 0; len <= 16; ++len, code <<= 1)
        for (int k = 0; k < DcBits[len - 1]; ++k, ++sym, ++code) {
            codes[sym] = code;
            lengths[sym] = len;
        }
    BitWriter bits;
    int previous = 0;
    for (int by = 0; by < blocksHigh; ++by)
        for (int bx = 0; bx < blocksWide; ++bx) {
            int level = base + (bx * 90) / blocksWide + ((bx + by) & 1 ? 30 : 0);
            int dc = (level - 128);  // 8 x (level - 128) quantised by 8
            int diff = dc - previous;
            previous = dc;
            int magnitude = diff < 0 ? -diff : diff, category = 0;
            while (magnitude >> category)
                ++category;
            bits.Put(codes[category], lengths[category]);
            if (category)
                bits.Put(diff < 0 ? (uint32_t)(diff + (1 << category) - 1) : (uint32_t)diff, category);
            bits.Put(0, 1);  // end of block
        }
    bits.Flush();
    j += bits.Out;
    j += "\xFF\xD9";
    return j;
}

// --- GIF: four colours, LZW kept at 3-bit codes by frequent clear codes -----

std::string MakeGifImage(int width, int height, const unsigned char palette[12])
{
    std::string g = "GIF89a";
    PutLE16(g, (uint32_t)width);
    PutLE16(g, (uint32_t)height);
    g += std::string("\xF1\x00\x00", 3);  // global table of 4 colours
    g.append((const char *)palette, 12);
    g += ',';
    PutLE16(g, 0);
    PutLE16(g, 0);
    PutLE16(g, (uint32_t)width);
    PutLE16(g, (uint32_t)height);
    g += '\0';
    g += '\x02';  // minimum code size 2: clear = 4, end = 5, codes of 3 bits

    // Two pixels after each clear code never grow the table to 8 entries,
    // so every code stays 3 bits wide.
    std::string data;
    uint32_t acc = 0;
    int count = 0;
    auto emit = [&](uint32_t c) {
        acc |= c << count;
        count += 3;
        while (count >= 8) {
            data += (char)(acc & 0xFF);
            acc >>= 8;
            count -= 8;
        }
    };
    int pixels = width * height;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            emit(4);
        emit((uint32_t)(((i % width) / 3 + (i / width) / 3) & 3));
    }
    emit(5);
    if (count)
        data += (char)(acc & 0xFF);
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t n = data.size() - at < 255 ? data.size() - at : 255;
        g += (char)n;
        g.append(data, at, n);
    }
    g += '\0';
    g += ';';
    return g;
}

// --- ICO: one 16x16 32-bit image ------------------------------------------

std::string MakeIcoImage(int red, int green, int blue)
{
    std::string ico;
    PutLE16(ico, 0);
    PutLE16(ico, 1);  // icon
    PutLE16(ico, 1);  // one image
    const uint32_t bitmapSize = 40 + 16 * 16 * 4 + 16 * 4;
    ico += std::string("\x10\x10\x00\x00", 4);
    PutLE16(ico, 1);
    PutLE16(ico, 32);
    PutLE32(ico, bitmapSize);
    PutLE32(ico, 22);
    PutLE32(ico, 40);
    PutLE32(ico, 16);
    PutLE32(ico, 32);  // height of colour plus mask
    PutLE16(ico, 1);
    PutLE16(ico, 32);
    for (int i = 0; i < 6; ++i)
        PutLE32(ico, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool inside = (x - 7.5) * (x - 7.5) + (y - 7.5) * (y - 7.5) < 56;
            ico += (char)blue;
            ico += (char)green;
            ico += (char)red;
            ico += (char)(inside ? 0xFF : 0x00);
        }
    ico += std::string(16 * 4, '\0');  // AND mask: alpha decides
    return ico;
}
