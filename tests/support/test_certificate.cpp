#include "tests/support/test_certificate.h"

#include <openssl/ec.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace test {
namespace {

void AddExtension(X509* certificate, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
  if (!extension) throw std::runtime_error("X509V3_EXT_conf_nid failed");
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

}  // namespace

TestCertificate::TestCertificate(const Options& options) {
  key_ = EVP_EC_gen("P-256");
  if (!key_) throw std::runtime_error("EVP_EC_gen failed");
  certificate_ = X509_new();
  X509_set_version(certificate_, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate_), static_cast<long>(std::rand()) + 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate_), options.valid_from_seconds);
  X509_gmtime_adj(X509_getm_notAfter(certificate_), options.valid_until_seconds);
  X509_set_pubkey(certificate_, key_);
  X509_NAME* name = X509_get_subject_name(certificate_);
  std::string common_name = options.dns_names.empty() ? "test" : options.dns_names.front();
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(common_name.c_str()), -1, -1,
                             0);
  X509_set_issuer_name(certificate_, name);
  std::string alt_names;
  for (const std::string& dns : options.dns_names)
    alt_names += (alt_names.empty() ? "" : ",") + ("DNS:" + dns);
  for (const std::string& ip : options.ip_addresses)
    alt_names += (alt_names.empty() ? "" : ",") + ("IP:" + ip);
  if (!alt_names.empty()) AddExtension(certificate_, NID_subject_alt_name, alt_names);
  AddExtension(certificate_, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(certificate_, NID_key_usage, "critical,digitalSignature,keyCertSign");
  if (!X509_sign(certificate_, key_, EVP_sha256())) throw std::runtime_error("X509_sign failed");

  char path[] = "/tmp/qv-test-ca-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  FILE* file = fdopen(fd, "w");
  PEM_write_X509(file, certificate_);
  std::fclose(file);
  pem_path_ = path;
}

TestCertificate::~TestCertificate() {
  if (!pem_path_.empty()) std::remove(pem_path_.c_str());
  X509_free(certificate_);
  EVP_PKEY_free(key_);
}

}  // namespace test
