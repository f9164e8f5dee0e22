// Build tool: turns the icon's PNGs into a C++ source holding them as X's _NET_WM_ICON wants
// them (and Wayland's toplevel icons, once premultiplied): for each image its width, its
// height, then its pixels as 0xAARRGGBB (not premultiplied), row by row.
// Usage: icon_source OUTPUT.cpp IMAGE.png...
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "icon_source: usage: icon_source OUTPUT.cpp IMAGE.png...\n");
    return 2;
  }
  std::vector<uint32_t> icon;
  for (int i = 2; i < argc; ++i) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, argv[i])) {
      fprintf(stderr, "icon_source: cannot read %s: %s\n", argv[i], image.message);
      return 1;
    }
    image.format = PNG_FORMAT_BGRA;  // bytes B, G, R, A: 0xAARRGGBB in a little-endian word
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
      fprintf(stderr, "icon_source: cannot read %s: %s\n", argv[i], image.message);
      return 1;
    }
    icon.push_back(image.width);
    icon.push_back(image.height);
    for (size_t p = 0; p < pixels.size(); p += 4) {
      icon.push_back((uint32_t)pixels[p + 3] << 24 | (uint32_t)pixels[p + 2] << 16 |
                     (uint32_t)pixels[p + 1] << 8 | pixels[p]);
    }
  }
  std::ofstream out(argv[1]);
  out << "// Made by cmake/icon_source.cpp from the icon's PNGs: not to be edited.\n"
         "#include <cstddef>\n#include <cstdint>\n\nnamespace winx {\n\n"
         "extern const uint32_t programIcon[];\nextern const size_t programIconSize;\n"
         "const uint32_t programIcon[] = {\n";
  char word[16];
  for (size_t i = 0; i < icon.size(); ++i) {
    snprintf(word, sizeof word, "0x%08x,", (unsigned)icon[i]);
    out << word << (i % 8 == 7 ? "\n" : "");
  }
  out << "};\nconst size_t programIconSize = " << icon.size() << ";\n\n}  // namespace winx\n";
  out.close();
  if (!out) {
    fprintf(stderr, "icon_source: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
