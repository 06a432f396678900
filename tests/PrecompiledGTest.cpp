// The translation unit the shared precompiled GoogleTest header is made for.
