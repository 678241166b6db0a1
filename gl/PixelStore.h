// The state with which glTexSubImage2D and glReadPixels move pixels between
// client memory and GL, set for the effect's transfers while the object
// lives and put back when it goes: rows byte-aligned (alignment 1) both ways,
// row lengths 0 (rows as wide as the transfer) unless set, and no pixel
// buffer bound, so that the pointers given are client memory.
#pragma once

namespace Ombrix::Levels {

class PixelStore {
public:
    PixelStore();
    ~PixelStore();
    PixelStore(const PixelStore&) = delete;
    PixelStore& operator=(const PixelStore&) = delete;

    // Row lengths in texels (GL_UNPACK_ROW_LENGTH, GL_PACK_ROW_LENGTH).
    void setUnpackRowLength(int texels);
    void setPackRowLength(int texels);

private:
    int unpackAlignment_ = 4;
    int unpackRowLength_ = 0;
    int packAlignment_ = 4;
    int packRowLength_ = 0;
    int unpackBuffer_ = 0;
    int packBuffer_ = 0;
};

}  // namespace Ombrix::Levels
