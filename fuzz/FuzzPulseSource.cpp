// The sound server's answers about the default source, as the microphone
// adapter reads them, driving a mute change being confirmed: any index,
// mute value and description bytes, any timing. The reader never gives a
// device that callers would take for "none", and the confirmation ends only
// in one of its fixed outcomes.
#include "fuzz/FuzzSupport.h"
#include "platform/PulseSource.h"
#include "services/MicrophoneMuteVerification.h"

#include <pulse/def.h>
#include <pulse/introspect.h>

#include <cstring>

namespace {

const QString failures[] = {
    QStringLiteral("Default microphone changed. Check its mute state."),
    QStringLiteral("Could not verify microphone mute. Use your call app’s mute control."),
    QStringLiteral("The microphone did not keep the requested mute state. Use your call app’s mute control."),
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::optional<MicrophoneMuteVerification> verification;
    double elapsed = 0;
    // Each answer: index (4 bytes), mute (4), a step of time (1), description length (1) and bytes.
    while (size >= 10) {
        pa_source_info info{};
        std::memcpy(&info.index, data, 4);
        std::memcpy(&info.mute, data + 4, 4);
        const double step = data[8] / 100.0;
        const std::size_t length = std::min<std::size_t>(data[9], size - 10);
        data += 10;
        size -= 10;
        // A length of 255 stands for no description at all.
        const QByteArray description(reinterpret_cast<const char *>(data), qsizetype(length));
        info.description = length == 255 ? nullptr : description.constData();
        data += length;
        size -= length;

        const std::optional<PulseSource> source = PulseSource::from(info);
        FUZZ_CHECK(source.has_value() == (info.index != PA_INVALID_INDEX));
        if (!source)
            continue;
        FUZZ_CHECK(source->deviceID() != 0);
        FUZZ_CHECK(source->muted == (info.mute != 0));
        FUZZ_CHECK(source->description == QString::fromUtf8(info.description));

        elapsed += step;
        if (!verification) {
            verification = MicrophoneMuteVerification{source->deviceID(), !source->muted, 0.0};
            continue;
        }
        const auto result = verification->evaluate(source->deviceID(), source->muted, double(elapsed));
        using Kind = MicrophoneMuteVerification::Evaluation::Kind;
        switch (result.kind) {
        case Kind::pending:
            FUZZ_CHECK(elapsed < MicrophoneMuteVerification::confirmSeconds);
            break;
        case Kind::confirmed:
            FUZZ_CHECK(elapsed >= MicrophoneMuteVerification::confirmSeconds);
            FUZZ_CHECK(source->deviceID() == verification->device && source->muted == verification->requested);
            verification.reset();
            break;
        case Kind::failed:
            FUZZ_CHECK(std::find(std::begin(failures), std::end(failures), result.message) != std::end(failures));
            verification.reset();
            break;
        }
    }
    return 0;
}
