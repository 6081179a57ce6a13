// Writing an A4 page scanned at 300 dpi (2480 x 3508) as a JPEG at quality 90, against the
// library's own compression of the same pixels, in the same run.

#include "harnix/pictures/cDIBSection.h"
#include "harnix/pictures/mIntelJPEGLibrary.h"

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int32_t Largeur = 2480;
constexpr int32_t Hauteur = 3508;
constexpr int Qualite = 90;

// The page: noise, so that the compression has work to do; and a folder for the files.
struct Page
{
    Page()
    {
        std::string modele = (std::filesystem::temp_directory_path() / "bench-XXXXXX").string();
        dossier = ::mkdtemp(modele.data());
        image.Create(Largeur, Hauteur);
        image.RandomiseBits();
    }
    ~Page() { std::filesystem::remove_all(dossier); }

    std::filesystem::path dossier;
    cDIBSection image;
};

Page& LaPage()
{
    static Page page;
    return page;
}

void BM_SaveDibToJpeg(benchmark::State& state)
{
    Page& page = LaPage();
    const std::string chemin = (page.dossier / "port.jpg").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(mIntelJPEGLibrary::SaveDibToJpeg(page.image, chemin, Qualite));
}
BENCHMARK(BM_SaveDibToJpeg)->Unit(benchmark::kMillisecond);

// The bare library loop: the same rows, bottom-up blue-green-red, fed top row first.
void BM_BareLibjpeg(benchmark::State& state)
{
    Page& page = LaPage();
    const std::string chemin = (page.dossier / "bare.jpg").string();
    for (auto _ : state) {
        std::FILE* fichier = std::fopen(chemin.c_str(), "wb");
        jpeg_compress_struct info{};
        jpeg_error_mgr erreurs;
        info.err = jpeg_std_error(&erreurs);
        jpeg_create_compress(&info);
        jpeg_stdio_dest(&info, fichier);
        info.image_width = Largeur;
        info.image_height = Hauteur;
        info.input_components = 3;
        info.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, Qualite, TRUE);
        jpeg_start_compress(&info, TRUE);
        const int32_t pas = page.image.BytesPerScanLine();
        while (info.next_scanline < info.image_height) {
            JSAMPROW ligne = page.image.DIBSectionBitsPtr() +
                             int64_t(Hauteur - 1 - int32_t(info.next_scanline)) * pas;
            jpeg_write_scanlines(&info, &ligne, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        std::fclose(fichier);
    }
}
BENCHMARK(BM_BareLibjpeg)->Unit(benchmark::kMillisecond);

} // namespace
