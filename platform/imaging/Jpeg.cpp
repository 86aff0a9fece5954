#include "Codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace imaging {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    L_INT code;
};

[[noreturn]] void OnError(j_common_ptr cinfo)
{
    ErrorManager* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (e->code == SUCCESS)
        e->code = cinfo->err->msg_code == JERR_OUT_OF_MEMORY   ? L_INT(LERR_NO_MEMORY)
                  : cinfo->err->msg_code == JERR_IMAGE_TOO_BIG ? L_INT(LERR_IMAGE_TOO_LARGE)
                                                               : L_INT(LERR_FILE_CORRUPT);
    longjmp(e->jump, 1);
}

// libjpeg only warns about a file cut short or damaged data and fills the rest
// with grey; we refuse such a picture rather than show part of it as whole.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level < 0) {
        ErrorManager* e = reinterpret_cast<ErrorManager*>(cinfo->err);
        e->code = LERR_FILE_CORRUPT;
        longjmp(e->jump, 1);
    }
}

void InitErrors(ErrorManager& e)
{
    jpeg_std_error(&e.pub);
    e.pub.error_exit = OnError;
    e.pub.emit_message = OnMessage;
    e.code = SUCCESS;
}

// Everything libjpeg touches between setjmp and longjmp lives in this record,
// so nothing the jump skips needs a destructor.
struct DecodeJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    Frame frame;
    FILEINFO* info;
    int bpp;
};

L_INT RunDecode(DecodeJob& job, const BYTE* data, size_t size)
{
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump))
        return job.err.code;
    jpeg_mem_src(&cinfo, data, (unsigned long)size);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.num_components != 1 && cinfo.num_components != 3)
        return LERR_FILE_FORMAT;  // CMYK and other colour spaces
    const bool grey = cinfo.num_components == 1;
    if (!SizeAllowed(cinfo.image_width, cinfo.image_height, 24))
        return LERR_IMAGE_TOO_LARGE;
    if (job.info) {
        job.info->Format = FILE_JFIF;
        job.info->Width = int(cinfo.image_width);
        job.info->Height = int(cinfo.image_height);
        job.info->BitsPerPixel = grey ? 8 : 24;
        job.info->SizeMem = DWORD(Stride(int(cinfo.image_width), job.info->BitsPerPixel)) * cinfo.image_height;
        job.info->IsProgressive = jpeg_has_multiple_scans(&cinfo);
        return SUCCESS;
    }
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    L_INT rc = job.frame.Allocate(int(cinfo.output_width), int(cinfo.output_height), grey ? 8 : 24);
    if (rc != SUCCESS)
        return rc;
    if (grey)
        GreyPalette(job.frame);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = job.frame.Row(int(cinfo.output_scanline));
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            return LERR_FILE_CORRUPT;
    }
    jpeg_finish_decompress(&cinfo);
    return SUCCESS;
}

struct EncodeJob {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char* buffer;
    unsigned long size;
};

L_INT RunEncode(EncodeJob& job, const Frame& f, int quality)
{
    jpeg_compress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump))
        return job.err.code == LERR_FILE_CORRUPT ? LERR_FILE_WRITE : job.err.code;
    jpeg_mem_dest(&cinfo, &job.buffer, &job.size);
    cinfo.image_width = JDIMENSION(f.width);
    cinfo.image_height = JDIMENSION(f.height);
    const bool grey = f.bpp == 8;
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (!grey && quality >= 90) {
        // At the high qualities keep full colour resolution (4:4:4).
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<BYTE*>(f.Row(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return SUCCESS;
}

}  // namespace

L_INT DecodeJpeg(const BYTE* data, size_t size, int bpp, Frame& out, FILEINFO* info)
{
    DecodeJob* job = new (std::nothrow) DecodeJob();
    if (!job)
        return LERR_NO_MEMORY;
    job->info = info;
    job->bpp = bpp;
    InitErrors(job->err);
    job->cinfo.err = &job->err.pub;
    jpeg_create_decompress(&job->cinfo);
    L_INT rc = RunDecode(*job, data, size);
    jpeg_destroy_decompress(&job->cinfo);
    if (rc == SUCCESS && !info) {
        if (bpp != 0 && bpp != job->frame.bpp)
            rc = Convert(job->frame, bpp, out);
        else
            out = static_cast<Frame&&>(job->frame);
    }
    delete job;
    return rc;
}

int JpegQualityFromFactor(int qfactor)
{
    // Factor 2 is the best the library offers; every step of four above it
    // costs five points of libjpeg quality, so the usual factor 10 gives 90.
    if (qfactor <= 2)
        return 100;
    const int q = 100 - (qfactor - 2) * 5 / 4;
    return q < 1 ? 1 : q;
}

L_INT EncodeJpeg(const Frame& f, int quality, std::vector<BYTE>& out)
{
    if (f.Empty())
        return LERR_NO_BITMAP;
    if (f.bpp != 24 && !(f.bpp == 8 && IsGreyPalette(f)))
        return LERR_BITS_PER_PIXEL;
    if (f.width > 65500 || f.height > 65500)
        return LERR_IMAGE_TOO_LARGE;
    EncodeJob* job = new (std::nothrow) EncodeJob();
    if (!job)
        return LERR_NO_MEMORY;
    InitErrors(job->err);
    job->cinfo.err = &job->err.pub;
    jpeg_create_compress(&job->cinfo);
    L_INT rc = RunEncode(*job, f, quality);
    jpeg_destroy_compress(&job->cinfo);
    if (rc == SUCCESS) {
        try {
            out.assign(job->buffer, job->buffer + job->size);
        } catch (...) {
            rc = LERR_NO_MEMORY;
        }
    }
    std::free(job->buffer);
    delete job;
    return rc;
}

}  // namespace imaging
