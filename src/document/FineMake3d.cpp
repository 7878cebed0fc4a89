#include "document/FineMake3d.h"

namespace {

const QLatin1String Fine("--fine");
const QLatin1String Oversample("--oversample");
const QLatin1String Dots("--dots");
const QLatin1String Seed("--seed");
const QLatin1String RandomWord("random");

} // namespace

bool takeFineOptions(QStringList& args, std::optional<FineMake3d>* fine, QString* error)
{
    FineMake3d options;
    bool wantsFine = false;
    QString needsFine; // the first option given that only the finer renderer takes
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == Fine) {
            wantsFine = true;
        } else if (arg == Dots) {
            options.render.dots = true;
            needsFine = needsFine.isEmpty() ? arg : needsFine;
        } else if (arg == Oversample || arg == Seed) {
            needsFine = needsFine.isEmpty() ? arg : needsFine;
            const QString value = i + 1 < args.size() ? args[++i] : QString();
            bool ok = false;
            if (arg == Oversample) {
                const int n = value.toInt(&ok);
                if (!ok || n < 1 || n > FineRenderer::MaxOversample) {
                    *error = QStringLiteral("--oversample needs a whole number from 1 to %1, got "
                                            "'%2' (see --help)")
                                 .arg(FineRenderer::MaxOversample)
                                 .arg(value);
                    return false;
                }
                options.render.oversample = n;
            } else {
                const uint seed = value.toUInt(&ok);
                if (!ok) {
                    *error = QStringLiteral("--seed needs a whole number from 0 to 4294967295, "
                                            "got '%1' (see --help)")
                                 .arg(value);
                    return false;
                }
                options.seed = quint32(seed);
            }
        } else {
            files << arg;
        }
    }
    if (!wantsFine && !needsFine.isEmpty()) {
        *error = QStringLiteral("%1 needs --fine (see --help)").arg(needsFine);
        return false;
    }
    options.randomPattern = wantsFine && files.size() == 3 && files.first() == RandomWord;
    if (options.seed && !options.randomPattern) {
        *error = QStringLiteral("--seed needs the pattern 'random' (see --help)");
        return false;
    }
    args = files;
    if (wantsFine) {
        *fine = options;
    }
    return true;
}
