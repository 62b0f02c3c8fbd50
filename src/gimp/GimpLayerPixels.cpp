#include "GimpLayerPixels.h"

#include <stdexcept>

HostImageSt LayerPixels_ToHostImage(std::span<const uint8_t> rgba, int32_t width, int32_t height, bool hasAlpha) {
    if (width < 0 || height < 0 || rgba.size() != std::size_t(width) * height * kLayerBytesPerPixel)
        throw std::invalid_argument("the layer's pixels do not match the filter area");
    const int16_t planes = hasAlpha ? 4 : 3;
    HostImageSt image;
    image.width = width;
    image.height = height;
    image.planes = planes;
    image.pixels.resize(std::size_t(width) * height * planes);
    const std::size_t count = std::size_t(width) * height;
    for (std::size_t i = 0; i < count; ++i)
        for (int16_t plane = 0; plane < planes; ++plane)
            image.pixels[i * planes + plane] = rgba[i * kLayerBytesPerPixel + plane];
    return image;
}

std::vector<uint8_t> LayerPixels_FromHostImage(const HostImageSt& image) {
    const std::size_t count = std::size_t(image.width) * image.height;
    std::vector<uint8_t> rgba(count * kLayerBytesPerPixel, 255);
    for (std::size_t i = 0; i < count; ++i)
        for (int16_t plane = 0; plane < image.planes; ++plane)
            rgba[i * kLayerBytesPerPixel + plane] = image.pixels[i * image.planes + plane];
    return rgba;
}
