#include "tool/ExrStructure.h"

#include <sys/stat.h>

#include <cstdint>

#include "tool/ToolCommon.h"

#if defined(ZANTH_HAVE_OPENEXR)
#include <openexr.h>
#endif

namespace zanth {

#if defined(ZANTH_HAVE_OPENEXR)
namespace {

void quiet(exr_const_context_t, exr_result_t, const char*) {}

// An OpenEXRCore read context, finished when it goes.
class ReadContext {
public:
    explicit ReadContext(const std::string& path) {
        exr_context_initializer_t init = EXR_DEFAULT_CONTEXT_INITIALIZER;
        init.error_handler_fn = quiet;
        init.flags |= EXR_CONTEXT_FLAG_DISABLE_CHUNK_RECONSTRUCTION;  // a damaged table is refused, not rebuilt
        result_ = exr_start_read(&context_, path.c_str(), &init);
    }
    ~ReadContext() {
        if (context_) exr_finish(&context_);
    }
    ReadContext(const ReadContext&) = delete;
    ReadContext& operator=(const ReadContext&) = delete;
    exr_result_t result() const { return result_; }
    exr_const_context_t get() const { return context_; }

private:
    exr_context_t context_ = nullptr;
    exr_result_t result_;
};

}  // namespace

void checkExrChunks(const std::string& path, int part) {
    const auto refuse = [&](const std::string& why) {
        throw UsageError(path + " is not a readable OpenEXR picture (" + why + ")");
    };
    struct stat info;
    if (stat(path.c_str(), &info) != 0) refuse("it cannot be read");
    const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
    ReadContext context(path);
    if (context.result() != EXR_ERR_SUCCESS) refuse(exr_get_default_error_message(context.result()));
    exr_const_context_t c = context.get();
    exr_storage_t storage;
    exr_attr_box2i_t window;
    if (exr_get_storage(c, part, &storage) != EXR_ERR_SUCCESS || exr_get_data_window(c, part, &window) != EXR_ERR_SUCCESS) {
        refuse("its header cannot be read");
    }
    const auto check = [&](exr_result_t result, const exr_chunk_info_t& chunk) {
        if (result != EXR_ERR_SUCCESS) refuse("it ends early or its table of pixel chunks is damaged");
        if (chunk.data_offset > fileSize || chunk.packed_size > fileSize - chunk.data_offset) {
            refuse("it ends early: a chunk of pixels lies past its end");
        }
    };
    exr_chunk_info_t chunk;
    if (storage == EXR_STORAGE_SCANLINE) {
        int32_t lines = 0;
        if (exr_get_scanlines_per_chunk(c, part, &lines) != EXR_ERR_SUCCESS || lines <= 0) refuse("its header cannot be read");
        for (int64_t y = window.min.y; y <= window.max.y; y += lines) {
            check(exr_read_scanline_chunk_info(c, part, static_cast<int>(y), &chunk), chunk);
        }
    } else if (storage == EXR_STORAGE_TILED) {
        uint32_t tileWidth = 0, tileHeight = 0;
        exr_tile_level_mode_t level;
        exr_tile_round_mode_t round;
        if (exr_get_tile_descriptor(c, part, &tileWidth, &tileHeight, &level, &round) != EXR_ERR_SUCCESS ||
            tileWidth == 0 || tileHeight == 0) {
            refuse("its header cannot be read");
        }
        const int64_t width = static_cast<int64_t>(window.max.x) - window.min.x + 1;
        const int64_t height = static_cast<int64_t>(window.max.y) - window.min.y + 1;
        for (int64_t ty = 0; ty * tileHeight < height; ++ty) {
            for (int64_t tx = 0; tx * tileWidth < width; ++tx) {
                check(exr_read_tile_chunk_info(c, part, static_cast<int>(tx), static_cast<int>(ty), 0, 0, &chunk), chunk);
            }
        }
    } else {
        refuse("its part holds deep pixels");
    }
}

#else
void checkExrChunks(const std::string&, int) {}
#endif

}  // namespace zanth
