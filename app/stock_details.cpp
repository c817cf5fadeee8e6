#include "app/stock_details.h"

#include "app/main_form.h"
#include "app/quote_record.h"
#include "app/service_addresses.h"
#include "http/http_request.h"
#include "runtime/app_routines.h"
#include "runtime/fetch_url.h"
#include "ui/cartoon_commands.h"
#include "ui/unit_properties.h"

namespace app {

void ShowOrderBook(rt::TextRef code) {
  const rt::Text answer = http::HttpRequest(FullQuoteAddress(code));
  ApplyFields(SplitFields(answer), FullFormPlaces(), [](int32_t label, rt::TextRef value) {
    ui::WriteUnitText(LabelRef(label), ui::property::Text, value);
  });
}

void ShowChart(rt::TextRef code) {
  // The old chart goes first, so the box stays empty while the new one downloads.
  ui::RemoveAllObjects(kChartBox);
  const rt::ByteSet picture = rt::FetchUrl(rt::ConcatTexts({ChartServicePrefix(), code, ".png"}));
  ui::WriteUnitByteSet(kChartObject, ui::property::PictureData, picture);
  ui::AddObject(kChartBox, kChartObject, 0, 0);
}

}  // namespace app
