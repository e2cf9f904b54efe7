// Test helpers: PNG pictures encoded in memory, packages laid out byte by byte, COM set-up.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Pixels as 0xAARRGGBB, rows top to bottom.
std::string EncodePng(unsigned width, unsigned height, const std::vector<uint32_t>& argb, double dpi = 96.0);
std::string SolidPng(unsigned width, unsigned height, uint32_t argb);

struct CTestEntry
{
    uint32_t key;
    std::string data;
};

// A package in the file layout: magic, version, three header words, count, index, data.
std::string BuildPackage(const std::vector<CTestEntry>& entries, uint32_t version = 1);

// Little-endian word access into a package image.
void PutWord(std::string& bytes, size_t offset, uint32_t value);
uint32_t GetWord(const std::string& bytes, size_t offset);

// The pixel at (x, y) of a bitmap, read back as 0x00RRGGBB whatever the bitmap's depth.
uint32_t PixelAt(HBITMAP bitmap, int x, int y);

// A 32-bit top-down section bitmap filled with one colour, with its bits for direct checks.
struct CCanvas
{
    CCanvas(int width, int height, COLORREF fill);
    ~CCanvas();
    uint32_t At(int x, int y) const { GdiFlush(); return bits[y * width + x] & 0xFFFFFF; }
    int width;
    int height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint32_t* bits;
};

// Initialises COM for each test as the programs do (flags 0) and releases it afterwards.
class CComTest : public ::testing::Test
{
protected:
    void SetUp() override { CoInitializeEx(nullptr, 0); }
    void TearDown() override { CoUninitialize(); }
};

// Swaps the window background colour for a test and restores it.
class CWindowColour
{
public:
    explicit CWindowColour(COLORREF colour);
    ~CWindowColour();

private:
    COLORREF m_saved;
};
