#include "render/texture.h"

#include "render/bitmap_checks.h"

namespace {

std::uint32_t ReadFromFile(void* source, unsigned char* buffer, std::uint32_t count) {
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(source), buffer, count, &read, nullptr)) return 0;
    return read;
}

}  // namespace

Texture::Texture() : pixels(nullptr), loaded(0), textureName(0), width(0), height(0) {}

Texture::~Texture() {
    // At process exit the context that owned the name is gone; with none
    // current there is nothing to delete from.
    if (textureName != 0 && wglGetCurrentContext() != nullptr) glDeleteTextures(1, &textureName);
}

void Texture::DeleteName() {
    if (textureName == 0) return;
    glDeleteTextures(1, &textureName);
    textureName = 0;
}

void Texture::Upload(const unsigned char* source) {
    glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    // Bitmap rows as stored: 4-byte aligned, blue-green-red, no conversion.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, source);
}

int Texture::LoadFromFile(const char* path) {
    loaded = 0;
    DeleteName();

    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    // GetFileSize rather than GetFileSizeEx: the latter is missing before
    // Windows 2000, and its import alone would keep the saver from loading on 9x.
    DWORD sizeHigh = 0;
    SetLastError(NO_ERROR);
    const DWORD sizeLow = GetFileSize(file, &sizeHigh);
    const std::uint64_t knownSize = FileSizeFromWords(sizeLow, sizeHigh, GetLastError());
    const LoadedBitmap bitmap = ReadBitmapFile(ReadFromFile, file, knownSize);
    CloseHandle(file);

    // The copy goes with `bitmap`; no resource is the source any more.
    pixels = nullptr;
    if (bitmap.sizeKnown) {
        width = bitmap.width;
        height = bitmap.height;
    }
    if (bitmap.verdict != BitmapVerdict::Accepted) return 0;

    loaded = 1;
    Upload(bitmap.pixels.get());
    return loaded;
}

int Texture::LoadFromResource(int resourceId) {
    loaded = 0;
    HMODULE module = GetModuleHandleA(nullptr);
    LPCSTR name = MAKEINTRESOURCEA(resourceId);

    HBITMAP bitmap = LoadBitmapA(module, name);
    if (bitmap == nullptr) return 0;
    BITMAP dimensions = {};
    GetObjectA(bitmap, sizeof dimensions, &dimensions);
    DeleteObject(bitmap);

    HRSRC found = FindResourceA(module, name, RT_BITMAP);
    HGLOBAL resource = found != nullptr ? LoadResource(module, found) : nullptr;
    if (resource == nullptr) return 0;
    const unsigned char* dib = static_cast<const unsigned char*>(LockResource(resource));
    if (dib == nullptr) return 0;

    // The upload reads the resource in place: it must hold every row that GL
    // reads, in the layout GL is told.
    const DibLayout layout = CheckPackedDib(dib, SizeofResource(module, found));
    if (layout.verdict != BitmapVerdict::Accepted || layout.width != dimensions.bmWidth ||
        layout.height != dimensions.bmHeight) {
        return 0;
    }

    DeleteName();
    pixels = dib;
    width = dimensions.bmWidth;
    height = dimensions.bmHeight;
    Upload(dib + layout.pixelOffset);
    loaded = 1;
    return 1;
}

void Texture::Bind() { glBindTexture(GL_TEXTURE_2D, textureName); }

void Texture::SetParameter(GLenum pname, GLint value) {
    Bind();
    glTexParameteri(GL_TEXTURE_2D, pname, value);
}
