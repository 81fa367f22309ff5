// Device-independent bitmaps and memory device contexts.
#include "platform/window/Bitmap.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

BITMAPINFO Header(LONG width, LONG height, WORD bitCount) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, bitCount, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

TEST(BitmapTest, SectionHoldsPaddedRowsThatSetAndGetReachThrough) {
    BITMAPINFO info = Header(3, -2, 24);  // 9 bytes a row, padded to 12
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bits, nullptr);
    BITMAP description{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(description), &description), int(sizeof(BITMAP)));
    EXPECT_EQ(description.bmWidth, 3);
    EXPECT_EQ(description.bmHeight, 2);
    EXPECT_EQ(description.bmWidthBytes, 12);
    EXPECT_EQ(description.bmBitsPixel, 24);
    EXPECT_EQ(description.bmBits, bits);

    std::vector<uint8_t> pixels(30);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i + 1);
    EXPECT_EQ(SetBitmapBits(bitmap, DWORD(pixels.size()), pixels.data()), 24);  // cut to the bitmap's size
    EXPECT_EQ(std::memcmp(bits, pixels.data(), 24), 0);
    std::vector<uint8_t> back(40, 0);
    EXPECT_EQ(GetBitmapBits(bitmap, LONG(back.size()), back.data()), 24);
    EXPECT_EQ(std::memcmp(back.data(), pixels.data(), 24), 0);
    EXPECT_EQ(back[24], 0);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(BitmapTest, RefusesHeadersItCannotHold) {
    struct Case {
        const char* name;
        BITMAPINFO info;
    };
    BITMAPINFO planes = Header(4, 4, 32);
    planes.bmiHeader.biPlanes = 2;
    BITMAPINFO compressed = Header(4, 4, 32);
    compressed.bmiHeader.biCompression = 1;
    BITMAPINFO shortHeader = Header(4, 4, 32);
    shortHeader.bmiHeader.biSize = 12;
    const Case cases[] = {{"zero width", Header(0, 4, 32)},   {"zero height", Header(4, 0, 32)},
                          {"negative width", Header(-4, 4, 32)}, {"12 bits", Header(4, 4, 12)},
                          {"huge", Header(70000, 70000, 32)},  {"two planes", planes},
                          {"compressed", compressed},           {"short header", shortHeader}};
    for (const Case& c : cases) {
        void* bits = reinterpret_cast<void*>(1);
        EXPECT_EQ(CreateDIBSection(nullptr, &c.info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << c.name;
        EXPECT_EQ(bits, nullptr) << c.name;
    }
    BITMAPINFO fine = Header(4, 4, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, &fine, 1, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

TEST(BitmapTest, MemoryContextHoldsTheSelectedBitmap) {
    BITMAPINFO info = Header(2, 2, 32);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HGDIOBJ stock = GetCurrentObject(dc, OBJ_BITMAP);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(SelectObject(dc, bitmap), stock);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap);
    EXPECT_FALSE(DeleteObject(bitmap));  // still selected
    EXPECT_FALSE(DeleteObject(stock));
    EXPECT_EQ(SelectObject(dc, stock), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(BitmapTest, StaleAndForeignHandlesFail) {
    BITMAPINFO info = Header(2, 2, 32);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(DeleteObject(bitmap));
    ASSERT_TRUE(DeleteDC(dc));
    uint8_t pixels[16] = {};
    BITMAP description{};
    int foreign = 0;
    for (HGDIOBJ object : {HGDIOBJ(bitmap), HGDIOBJ(&foreign), HGDIOBJ(nullptr)}) {
        auto* b = static_cast<HBITMAP>(object);
        EXPECT_FALSE(DeleteObject(object));
        EXPECT_EQ(SetBitmapBits(b, sizeof(pixels), pixels), 0);
        EXPECT_EQ(GetBitmapBits(b, sizeof(pixels), pixels), 0);
        EXPECT_EQ(GetObjectW(object, sizeof(description), &description), 0);
    }
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), nullptr);
}

}  // namespace
