#include "metafile/emfplus/EmfPlusObject.h"

#include "Graphic.h"
#include "metafile/model/MetaBytes.h"

namespace {

template <class T>
TEmfPlusObject Shared(std::optional<T> object) {
  if (!object) return {};
  return std::make_shared<const T>(std::move(*object));
}

}  // namespace

TEmfPlusObject ReadEmfPlusObject(EmfPlus::EObjectType type, const QByteArray& data, TEmfPlusBudget& budget,
                                 const TEmfPlusMetafileReader& readMetafile) {
  using EmfPlus::EObjectType;
  const TMetaBytes b(data);
  try {
    switch (type) {
      case EObjectType::Brush: {
        std::int64_t at = 0;
        return Shared(TEmfPlusBrush::Read(b, at, budget));
      }
      case EObjectType::Pen:
        return Shared(TEmfPlusPen::Read(b, budget));
      case EObjectType::Path:
        return Shared(TEmfPlusPath::Read(b));
      case EObjectType::Region:
        return Shared(TEmfPlusRegion::Read(b, budget));
      case EObjectType::Image:
        return Shared(TEmfPlusImage::Read(b, budget, readMetafile));
      case EObjectType::Font:
        return Shared(TEmfPlusFont::Read(b));
      case EObjectType::StringFormat:
        return Shared(std::optional(TEmfPlusStringFormat::Read(b)));
      default:
        return {};
    }
  } catch (const EInvalidGraphic&) {
    return {};
  }
}
