// Writes the demo picture archive frm_critters.zip: the picture list
// gif_critters.lst and small GIF pictures drawn here from ellipses and
// rectangles (invented creatures, 60 by 80 pixels). What it covers:
//   line 0 "blob":      all six views, view 3 animated
//   line 1 "walker":    only view 0
//   line 2 "crawler":   only the single picture
//   line 3 "ghost":     no picture at all (shows reservAA.gif)
//   line 4 "brute":     all six views
//   line 5 "drone.frm": only the single picture (the caption drops ".frm")
// plus reservAA.gif; members stored and deflated, some under folders.
//
// Usage: make_sample_pictures [output file]   (default: sample/frm_critters.zip)
#include "TinyGif.h"
#include "ZipWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 60;
constexpr int kHeight = 80;

enum Colour : std::uint8_t { Sky, Dark, Shadow, Green, Orange, Purple, Red, Steel, White, Yellow };

const std::vector<Rgb> kPalette = {
    {166, 202, 240}, // the preview panel's colour, so that the pictures blend in
    {30, 30, 40},    {120, 150, 190}, {80, 170, 90},   {220, 140, 50}, {150, 80, 170},
    {190, 60, 60},   {140, 150, 160}, {250, 250, 250}, {240, 210, 60},
};

// The facing of the six views, as a step on the screen (y down): north-east,
// east, south-east, south-west, west, north-west.
constexpr double kFacing[6][2] = {{0.6, -0.8}, {1, 0}, {0.6, 0.8}, {-0.6, 0.8}, {-1, 0}, {-0.6, -0.8}};

class Canvas {
public:
    Canvas() : pixels_(std::size_t(kWidth) * kHeight, Sky) {}

    void Rect(int x0, int y0, int x1, int y1, std::uint8_t c)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Set(x, y, c);
    }
    void Ellipse(double cx, double cy, double rx, double ry, std::uint8_t c)
    {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
                if (dx * dx + dy * dy <= 1.0)
                    Set(x, y, c);
            }
    }
    // An ellipse with a dark rim one pixel wide.
    void Outlined(double cx, double cy, double rx, double ry, std::uint8_t c)
    {
        Ellipse(cx, cy, rx + 1, ry + 1, Dark);
        Ellipse(cx, cy, rx, ry, c);
    }
    void OutlinedRect(int x0, int y0, int x1, int y1, std::uint8_t c)
    {
        Rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, Dark);
        Rect(x0, y0, x1, y1, c);
    }
    // An eye looking along the view's facing.
    void Eye(double cx, double cy, int view, double size)
    {
        Ellipse(cx, cy, size, size, White);
        Ellipse(cx + kFacing[view][0] * size * 0.45, cy + kFacing[view][1] * size * 0.45, size * 0.5, size * 0.5, Dark);
    }
    const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

private:
    void Set(int x, int y, std::uint8_t c)
    {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight)
            pixels_[std::size_t(y) * kWidth + std::size_t(x)] = c;
    }
    std::vector<std::uint8_t> pixels_;
};

Bytes Gif(const std::vector<Canvas>& frames, int delayCs = 15)
{
    std::vector<std::vector<std::uint8_t>> pixels;
    for (const Canvas& c : frames)
        pixels.push_back(c.Pixels());
    return EncodeGif(kWidth, kHeight, kPalette, pixels, delayCs);
}

// A round creature; squash > 0 flattens it (the frames of its animation).
Canvas Blob(int view, double squash = 0)
{
    Canvas c;
    c.Ellipse(30, 72, 21, 5, Shadow);
    const double rx = 19 + squash * 4, ry = 22 - squash * 5;
    const double cy = 70 - ry;
    c.Outlined(30, cy, rx, ry, Green);
    c.Eye(30 + kFacing[view][0] * rx * 0.45, cy - ry * 0.25 + kFacing[view][1] * ry * 0.3, view, 5);
    return c;
}

Canvas Walker()
{
    Canvas c;
    c.Ellipse(30, 76, 14, 3, Shadow);
    c.OutlinedRect(24, 56, 28, 75, Orange);
    c.OutlinedRect(32, 56, 36, 75, Orange);
    c.OutlinedRect(16, 29, 20, 50, Orange);
    c.OutlinedRect(40, 29, 44, 50, Orange);
    c.OutlinedRect(22, 27, 38, 57, Orange);
    c.Outlined(30, 17, 8, 8, Orange);
    c.Eye(33, 15, 0, 3);
    return c;
}

Canvas Crawler()
{
    Canvas c;
    c.Ellipse(30, 68, 26, 5, Shadow);
    for (int i = 0; i < 3; ++i) {
        c.OutlinedRect(14 + i * 12, 60, 16 + i * 12, 70, Purple);
        c.OutlinedRect(20 + i * 12, 62, 22 + i * 12, 71, Purple);
    }
    c.Outlined(28, 56, 22, 9, Purple);
    c.Outlined(50, 52, 7, 6, Purple);
    c.Eye(52, 50, 1, 2.5);
    return c;
}

Canvas Brute(int view)
{
    Canvas c;
    const int shift = static_cast<int>(kFacing[view][0] * 4);
    c.Ellipse(30, 76, 18, 3, Shadow);
    c.OutlinedRect(20, 54, 27, 75, Red);
    c.OutlinedRect(33, 54, 40, 75, Red);
    c.OutlinedRect(8, 26, 15, 54, Red);
    c.OutlinedRect(45, 26, 52, 54, Red);
    c.OutlinedRect(16, 24, 44, 56, Red);
    c.Outlined(30 + shift, 15, 9, 9, Red);
    c.Eye(30 + shift + kFacing[view][0] * 3, 14 + kFacing[view][1] * 2, view, 3);
    return c;
}

Canvas Drone()
{
    Canvas c;
    c.Ellipse(30, 72, 16, 4, Shadow);
    c.Outlined(30, 30, 11, 9, Steel);
    c.Outlined(30, 38, 24, 7, Steel);
    c.Eye(30, 29, 2, 4);
    c.Rect(29, 46, 31, 56, Dark);
    return c;
}

// The stand-in picture: a question mark on a dark frame.
Canvas Reserve()
{
    static const char* const kGlyph[7] = {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."};
    Canvas c;
    c.Rect(4, 8, 55, 71, Dark);
    c.Rect(7, 11, 52, 68, Shadow);
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
            if (kGlyph[row][col] == '#')
                c.Rect(15 + col * 6, 19 + row * 6, 20 + col * 6, 24 + row * 6, Yellow);
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path output = argc > 1 ? fs::path(argv[1]) : fs::path(QUARNEL_SAMPLE_DIR) / "frm_critters.zip";

    ZipWriter zip;
    zip.Stored("gif_critters.lst", "blob\r\nwalker\r\ncrawler\r\nghost\r\nbrute\r\ndrone.frm\r\n");
    zip.Folder("pictures");
    for (int view = 0; view < 6; ++view) {
        const std::string name = "blob-" + std::to_string(view) + ".gif";
        if (view == 3) // the animated view, stored at the archive's root
            zip.Stored(name, Gif({Blob(3, 0), Blob(3, 0.5), Blob(3, 1), Blob(3, 0.5)}));
        else if (view < 3)
            zip.Deflated("pictures/" + name, Gif({Blob(view)}));
        else
            zip.Stored("pictures/blob/" + name, Gif({Blob(view)}));
    }
    zip.Deflated("walker-0.gif", Gif({Walker()}));
    zip.Stored("pictures/crawler.gif", Gif({Crawler()}));
    for (int view = 0; view < 6; ++view)
        zip.Deflated("brute-" + std::to_string(view) + ".gif", Gif({Brute(view)}));
    zip.Stored("drone.frm.gif", Gif({Drone()}));
    zip.Deflated("reservAA.gif", Gif({Reserve()}));
    zip.Comment("Quarnel demo pictures");
    zip.WriteTo(output);
    std::printf("wrote %s\n", output.string().c_str());
    return 0;
}
