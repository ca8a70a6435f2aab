// One OpenGL 2D texture and the 24-bit bitmap it is filled from.
#pragma once

#include <windows.h>
#include <GL/gl.h>

class Texture {
public:
    Texture();
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // 24-bit uncompressed BMP file; 1 when loaded. The texture held before is
    // deleted first, whatever the outcome.
    int LoadFromFile(const char* path);
    // 24-bit uncompressed bottom-up bitmap resource of the executable, uploaded
    // in place; 1 when loaded. The texture held before is replaced only by a
    // successful load.
    int LoadFromResource(int resourceId);
    void SetParameter(GLenum pname, GLint value);
    void Bind();

    // Never owned: the locked bitmap resource of the last resource load (the
    // executable's image, there for the life of the process), or null. A file
    // load uploads from a heap copy that it owns and frees itself, and leaves
    // this null.
    const unsigned char* pixels;
    int loaded;
    GLuint textureName;
    int width;
    int height;

private:
    void Upload(const unsigned char* source);
    void DeleteName();
};

extern Texture g_sphereTexture;
