-- Sample database for a first look at Morvalex: a small bookshop with customers,
-- a catalogue, orders, payments and stock. The build turns this file into
-- resources/samples/sample.db (SQLite).
PRAGMA foreign_keys = ON;

CREATE TABLE publishers (
    publisher_id   INTEGER PRIMARY KEY,
    name           VARCHAR(120) NOT NULL UNIQUE,
    country        CHAR(2) NOT NULL DEFAULT 'GB',
    website        VARCHAR(200),
    CONSTRAINT ck_publishers_country CHECK (length(country) = 2)
);

CREATE TABLE authors (
    author_id      INTEGER PRIMARY KEY,
    first_name     VARCHAR(60) NOT NULL,
    last_name      VARCHAR(60) NOT NULL,
    born           DATE,
    died           DATE,
    CONSTRAINT ck_authors_lifespan CHECK (died IS NULL OR born IS NULL OR died > born)
);
CREATE INDEX ix_authors_name ON authors (last_name, first_name);

CREATE TABLE categories (
    category_id    INTEGER PRIMARY KEY,
    parent_id      INTEGER REFERENCES categories (category_id) ON DELETE SET NULL,
    name           VARCHAR(80) NOT NULL,
    CONSTRAINT uq_categories_name UNIQUE (parent_id, name)
);

CREATE TABLE books (
    book_id        INTEGER PRIMARY KEY,
    isbn           CHAR(13) NOT NULL,
    title          VARCHAR(200) NOT NULL,
    publisher_id   INTEGER NOT NULL,
    category_id    INTEGER,
    published_on   DATE,
    pages          SMALLINT,
    list_price     NUMERIC(8,2) NOT NULL,
    CONSTRAINT uq_books_isbn UNIQUE (isbn),
    CONSTRAINT ck_books_price CHECK (list_price >= 0),
    CONSTRAINT ck_books_pages CHECK (pages IS NULL OR pages > 0),
    CONSTRAINT fk_books_publisher FOREIGN KEY (publisher_id) REFERENCES publishers (publisher_id),
    CONSTRAINT fk_books_category FOREIGN KEY (category_id) REFERENCES categories (category_id) ON DELETE SET NULL
);
CREATE INDEX ix_books_title ON books (title);
CREATE INDEX ix_books_published ON books (published_on DESC);

CREATE TABLE book_authors (
    book_id        INTEGER NOT NULL,
    author_id      INTEGER NOT NULL,
    position       SMALLINT NOT NULL DEFAULT 1,
    CONSTRAINT pk_book_authors PRIMARY KEY (book_id, author_id),
    CONSTRAINT ck_book_authors_position CHECK (position >= 1),
    CONSTRAINT fk_book_authors_book FOREIGN KEY (book_id) REFERENCES books (book_id) ON DELETE CASCADE,
    CONSTRAINT fk_book_authors_author FOREIGN KEY (author_id) REFERENCES authors (author_id)
);
CREATE INDEX ix_book_authors_author ON book_authors (author_id);

CREATE TABLE customers (
    customer_id    INTEGER PRIMARY KEY,
    email          VARCHAR(254) NOT NULL,
    full_name      VARCHAR(120) NOT NULL,
    created_on     TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_on     TIMESTAMP,
    CONSTRAINT uq_customers_email UNIQUE (email),
    CONSTRAINT ck_customers_email CHECK (email LIKE '%_@_%')
);

CREATE TABLE addresses (
    address_id     INTEGER PRIMARY KEY,
    customer_id    INTEGER NOT NULL,
    kind           VARCHAR(8) NOT NULL DEFAULT 'delivery',
    line1          VARCHAR(120) NOT NULL,
    line2          VARCHAR(120),
    city           VARCHAR(80) NOT NULL,
    postcode       VARCHAR(12) NOT NULL,
    country        CHAR(2) NOT NULL,
    CONSTRAINT ck_addresses_kind CHECK (kind IN ('delivery', 'billing')),
    CONSTRAINT fk_addresses_customer FOREIGN KEY (customer_id) REFERENCES customers (customer_id) ON DELETE CASCADE
);
CREATE INDEX ix_addresses_customer ON addresses (customer_id, kind);

CREATE TABLE orders (
    order_id       INTEGER PRIMARY KEY,
    customer_id    INTEGER NOT NULL,
    delivery_address_id INTEGER,
    ordered_on     TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    status         VARCHAR(10) NOT NULL DEFAULT 'open',
    CONSTRAINT ck_orders_status CHECK (status IN ('open', 'paid', 'shipped', 'cancelled')),
    CONSTRAINT fk_orders_customer FOREIGN KEY (customer_id) REFERENCES customers (customer_id),
    CONSTRAINT fk_orders_address FOREIGN KEY (delivery_address_id) REFERENCES addresses (address_id)
);
CREATE INDEX ix_orders_customer ON orders (customer_id, ordered_on);
CREATE INDEX ix_orders_status ON orders (status);

CREATE TABLE order_items (
    order_id       INTEGER NOT NULL,
    line_no        SMALLINT NOT NULL,
    book_id        INTEGER NOT NULL,
    quantity       INTEGER NOT NULL,
    unit_price     NUMERIC(8,2) NOT NULL,
    CONSTRAINT pk_order_items PRIMARY KEY (order_id, line_no),
    CONSTRAINT ck_order_items_quantity CHECK (quantity > 0),
    CONSTRAINT ck_order_items_price CHECK (unit_price >= 0),
    CONSTRAINT fk_order_items_order FOREIGN KEY (order_id) REFERENCES orders (order_id) ON DELETE CASCADE,
    CONSTRAINT fk_order_items_book FOREIGN KEY (book_id) REFERENCES books (book_id)
);
CREATE INDEX ix_order_items_book ON order_items (book_id);

CREATE TABLE payments (
    payment_id     INTEGER PRIMARY KEY,
    order_id       INTEGER NOT NULL,
    paid_on        TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    amount         NUMERIC(10,2) NOT NULL,
    method         VARCHAR(10) NOT NULL,
    CONSTRAINT ck_payments_amount CHECK (amount > 0),
    CONSTRAINT ck_payments_method CHECK (method IN ('card', 'transfer', 'voucher')),
    CONSTRAINT fk_payments_order FOREIGN KEY (order_id) REFERENCES orders (order_id)
);
CREATE UNIQUE INDEX ux_payments_order_date ON payments (order_id, paid_on);

CREATE TABLE stock (
    book_id        INTEGER PRIMARY KEY,
    on_hand        INTEGER NOT NULL DEFAULT 0,
    reorder_level  INTEGER NOT NULL DEFAULT 5,
    CONSTRAINT ck_stock_on_hand CHECK (on_hand >= 0),
    CONSTRAINT fk_stock_book FOREIGN KEY (book_id) REFERENCES books (book_id) ON DELETE CASCADE
);

CREATE TABLE reviews (
    review_id      INTEGER PRIMARY KEY,
    book_id        INTEGER NOT NULL,
    customer_id    INTEGER NOT NULL,
    rating         SMALLINT NOT NULL,
    body           TEXT,
    written_on     DATE NOT NULL DEFAULT CURRENT_DATE,
    CONSTRAINT ck_reviews_rating CHECK (rating BETWEEN 1 AND 5),
    CONSTRAINT uq_reviews_once UNIQUE (book_id, customer_id),
    CONSTRAINT fk_reviews_book FOREIGN KEY (book_id) REFERENCES books (book_id) ON DELETE CASCADE,
    CONSTRAINT fk_reviews_customer FOREIGN KEY (customer_id) REFERENCES customers (customer_id) ON DELETE CASCADE
);
CREATE INDEX ix_reviews_rating ON reviews (book_id, rating);

-- Views

CREATE VIEW v_order_totals AS
SELECT o.order_id, o.customer_id, o.status,
       SUM(i.quantity * i.unit_price) AS total,
       COUNT(*) AS lines
FROM orders o JOIN order_items i ON i.order_id = o.order_id
GROUP BY o.order_id, o.customer_id, o.status;

CREATE VIEW v_book_catalogue AS
SELECT b.book_id, b.isbn, b.title, p.name AS publisher, c.name AS category, b.list_price,
       COALESCE(s.on_hand, 0) AS on_hand
FROM books b
JOIN publishers p ON p.publisher_id = b.publisher_id
LEFT JOIN categories c ON c.category_id = b.category_id
LEFT JOIN stock s ON s.book_id = b.book_id;

CREATE VIEW v_reorder AS
SELECT b.book_id, b.title, s.on_hand, s.reorder_level
FROM stock s JOIN books b ON b.book_id = s.book_id
WHERE s.on_hand <= s.reorder_level;

-- Triggers

CREATE TRIGGER trg_order_items_stock AFTER INSERT ON order_items
BEGIN
    UPDATE stock SET on_hand = on_hand - NEW.quantity WHERE book_id = NEW.book_id;
END;

CREATE TRIGGER trg_order_items_open BEFORE INSERT ON order_items
WHEN (SELECT status FROM orders WHERE order_id = NEW.order_id) <> 'open'
BEGIN
    SELECT RAISE(ABORT, 'items can only be added to open orders');
END;

CREATE TRIGGER trg_customers_touch AFTER UPDATE OF email, full_name ON customers
BEGIN
    UPDATE customers SET updated_on = CURRENT_TIMESTAMP WHERE customer_id = NEW.customer_id;
END;

CREATE TRIGGER trg_payments_mark_paid AFTER INSERT ON payments
BEGIN
    UPDATE orders SET status = 'paid' WHERE order_id = NEW.order_id AND status = 'open';
END;

-- A little data, so the sample reads like a real shop.

INSERT INTO publishers (publisher_id, name, country, website) VALUES
    (1, 'Harbour Press', 'GB', 'https://harbour.example'),
    (2, 'Northwind Books', 'US', NULL);
INSERT INTO authors (author_id, first_name, last_name, born) VALUES
    (1, 'Ada', 'Lovelace', '1815-12-10'),
    (2, 'Edgar', 'Codd', '1923-08-19');
INSERT INTO categories (category_id, parent_id, name) VALUES
    (1, NULL, 'Computing'),
    (2, 1, 'Databases');
INSERT INTO books (book_id, isbn, title, publisher_id, category_id, published_on, pages, list_price) VALUES
    (1, '9780000000001', 'Notes on the Analytical Engine', 1, 1, '1843-10-01', 66, 12.50),
    (2, '9780000000002', 'A Relational Model of Data', 2, 2, '1970-06-01', 11, 9.99);
INSERT INTO book_authors (book_id, author_id, position) VALUES (1, 1, 1), (2, 2, 1);
INSERT INTO stock (book_id, on_hand, reorder_level) VALUES (1, 20, 5), (2, 3, 5);
INSERT INTO customers (customer_id, email, full_name) VALUES (1, 'reader@example.org', 'Rita Reader');
INSERT INTO addresses (address_id, customer_id, kind, line1, city, postcode, country) VALUES
    (1, 1, 'delivery', '1 Quay Street', 'Bristol', 'BS1 4DJ', 'GB');
INSERT INTO orders (order_id, customer_id, delivery_address_id, status) VALUES (1, 1, 1, 'open');
INSERT INTO order_items (order_id, line_no, book_id, quantity, unit_price) VALUES (1, 1, 2, 1, 9.99);
INSERT INTO payments (payment_id, order_id, amount, method) VALUES (1, 1, 9.99, 'card');
INSERT INTO reviews (review_id, book_id, customer_id, rating, body) VALUES (1, 2, 1, 5, 'Changed how I think about data.');
