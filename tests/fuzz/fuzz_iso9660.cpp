// Fuzzes disccheck's ISO 9660 / Joliet reader with images of any bytes: both
// name trees, and every file's bytes touched, so a bad offset shows at once.
#include <stddef.h>
#include <stdint.h>

#include "iso9660.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int joliet = 0; joliet < 2; joliet++) {
    Iso_Image image;
    Iso_Read(data, size, joliet, &image);
    unsigned sum = 0;
    for (const Iso_Entry& e : image.entries) {
      if (e.isDir) continue;
      const unsigned char* bytes;
      size_t n;
      if (Iso_File_Bytes(data, size, image, e, &bytes, &n) && n) sum += bytes[0] + bytes[n - 1];
    }
    if (sum == 0xFFFFFFFFu) return 1;  // keeps the reads from being optimised away
  }
  return 0;
}
