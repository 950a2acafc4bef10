#include "gamedata/Decompressors.h"

#include <zlib.h>

#include <climits>

namespace quarnel {

DecodeStatus DecodeZlib(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize)
{
    if (inSize > UINT_MAX || outSize > UINT_MAX)
        return DecodeStatus::Damaged;
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return DecodeStatus::Damaged;
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = static_cast<uInt>(inSize);
    z.next_out = out;
    z.avail_out = static_cast<uInt>(outSize);
    int rc = inflate(&z, Z_FINISH);
    DecodeStatus status = DecodeStatus::Ok;
    if (rc == Z_STREAM_END) {
        status = z.avail_out == 0 ? DecodeStatus::Ok : DecodeStatus::InputEnded;
    } else if (rc == Z_BUF_ERROR || rc == Z_OK) {
        if (z.avail_out > 0) {
            status = DecodeStatus::InputEnded;
        } else {
            // The output is full: the stream must end here without another byte.
            std::uint8_t spare = 0;
            z.next_out = &spare;
            z.avail_out = 1;
            rc = inflate(&z, Z_FINISH);
            if (z.avail_out == 0)
                status = DecodeStatus::RunsOn;
            else if (rc == Z_STREAM_END)
                status = DecodeStatus::Ok;
            else if (rc == Z_BUF_ERROR || rc == Z_OK)
                status = DecodeStatus::InputEnded;
            else
                status = DecodeStatus::Damaged;
        }
    } else {
        status = DecodeStatus::Damaged;
    }
    inflateEnd(&z);
    return status;
}

} // namespace quarnel
